// Dialog units: a quarter of the font's average character width horizontally and an eighth
// of its height vertically, so a window laid out in them keeps its proportions in any font.
#pragma once

#include <QFont>
#include <QRect>

namespace tern::platform {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int BaseWidth() const { return m_baseWidth; }
    int BaseHeight() const { return m_baseHeight; }
    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int cx, int cy) const;

private:
    int m_baseWidth;
    int m_baseHeight;
};

// The font a template names; the classic shell dialog face maps to this desktop's UI font.
QFont TemplateFont(const char* family, int pointSize);

}  // namespace tern::platform
