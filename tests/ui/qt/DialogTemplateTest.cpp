// The window built from its template: every control where the template puts it, in dialog
// units of the dialog's own font, so the layout keeps its proportions in any font.
#include <QFontMetrics>
#include <QPushButton>

#include "platform/dialog/qt/DialogWindow.h"
#include "res/DialogTemplates.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

TEST(DialogUnits, AreAQuarterOfTheAverageCharacterWidthAndAnEighthOfTheHeight) {
    for (int points : {8, 12, 20}) {
        const QFont font = platform::TemplateFont("MS Shell Dlg", points);
        const platform::DialogUnits units(font);
        const QFontMetrics metrics(font);
        const double average =
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") /
            52.0;
        EXPECT_NEAR(units.BaseWidth(), average, 0.5) << points;
        EXPECT_EQ(units.BaseHeight(), metrics.height()) << points;
        // 400 units across stay within a pixel of the exact scale.
        EXPECT_NEAR(units.ToPixelsX(400), 100.0 * units.BaseWidth(), 1.0);
        EXPECT_NEAR(units.ToPixelsY(400), 50.0 * units.BaseHeight(), 1.0);
    }
}

class Layout : public DialogTest {};

TEST_F(Layout, ControlsSitWhereTheTemplatePutsThem) {
    Open("", false);
    const platform::DialogTemplate& t = res::MainDialogTemplate();
    const platform::DialogUnits& units = platform::AsDialogWindow(*m_dlg)->Units();
    EXPECT_EQ(platform::QtWindowOf(*m_dlg)->size(),
              QSize(units.ToPixelsX(t.cx), units.ToPixelsY(t.cy)));
    for (const platform::ControlTemplate& c : t.controls) {
        QWidget* control = platform::AsWidget(m_dlg->GetDlgItem(c.id));
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(control->geometry(), units.ToPixels(c.x, c.y, c.cx, c.cy)) << c.id;
    }
    // No button is a default button: Enter belongs to the key filter alone.
    for (int id : {IDC_BROWSE, IDC_START, IDC_ABOUT}) {
        auto* button = qobject_cast<QPushButton*>(platform::AsWidget(m_dlg->GetDlgItem(id)));
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << id;
    }
}

}  // namespace
}  // namespace tern::test
