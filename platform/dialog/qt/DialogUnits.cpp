#include "platform/dialog/qt/DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <cstring>

namespace tern::platform {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Rounded a * b / c, as dialog-unit arithmetic has always been done.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>((product + (product >= 0 ? c / 2 : -c / 2)) / c);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the 52 letters, rounded to the nearest pixel.
    m_baseWidth = (metrics.horizontalAdvance(QString::fromLatin1(kAlphabet)) / 26 + 1) / 2;
    m_baseHeight = metrics.height();
    if (m_baseWidth < 1) {
        m_baseWidth = 1;
    }
    if (m_baseHeight < 1) {
        m_baseHeight = 1;
    }
}

int DialogUnits::ToPixelsX(int units) const {
    return MulDiv(units, m_baseWidth, 4);
}

int DialogUnits::ToPixelsY(int units) const {
    return MulDiv(units, m_baseHeight, 8);
}

QRect DialogUnits::ToPixels(int x, int y, int cx, int cy) const {
    return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(cx), ToPixelsY(cy));
}

QFont TemplateFont(const char* family, int pointSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (family && std::strcmp(family, "MS Shell Dlg") != 0) {
        font.setFamily(QString::fromUtf8(family));
    }
    font.setPointSize(pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace tern::platform
