// The dialog's controls, made from its template: a Qt widget for each control, placed in
// dialog units, with the template's styles and the colours the dialog asks for.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "platform/dialog/qt/DialogWindow.h"

namespace tern::platform {
namespace {

Qt::Alignment AlignmentOf(uint32_t styles) {
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (styles & kStyleRight) {
        horizontal = Qt::AlignRight;
    } else if (styles & kStyleCenter) {
        horizontal = Qt::AlignHCenter;
    }
    return horizontal | ((styles & kStyleVCenter) ? Qt::AlignVCenter : Qt::AlignTop);
}

void ApplyFrame(QFrame* frame, uint32_t styles) {
    if (styles & kStyleSunken) {
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    } else if (styles & (kStyleStaticEdge | kStyleBorder)) {
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    }
}

QColor ToQColor(ColorRef colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace

void DialogWindow::CreateControls() {
    m_controls.reserve(m_template.controls.size());
    for (const ControlTemplate& item : m_template.controls) {
        QWidget* widget = CreateControl(item);
        widget->setGeometry(m_units->ToPixels(item.x, item.y, item.cx, item.cy));
        widget->setEnabled(!(item.styles & kStyleDisabled));
        widget->installEventFilter(this);
        m_controls.push_back({&item, widget});
        const int kind = item.kind == ControlKind::Edit && !(item.styles & kStyleReadOnly)
                             ? CTLCOLOR_EDIT
                             : CTLCOLOR_STATIC;
        if (item.kind != ControlKind::PushButton) {
            // Asked once per control: Qt keeps the answer in the control's palette.
            CDC dc(0);
            if (const CBrush* brush = m_owner.OnCtlColor(dc, AsHandle(widget), kind)) {
                QPalette palette = widget->palette();
                palette.setColor(QPalette::Base, ToQColor(dc.GetBkColor()));
                palette.setColor(QPalette::Window, ToQColor(brush->Colour()));
                widget->setPalette(palette);
                widget->setAutoFillBackground(true);
            }
        }
    }
    installEventFilter(this);
}

QWidget* DialogWindow::CreateControl(const ControlTemplate& item) {
    const QString text = QString::fromUtf8(item.text ? item.text : "");
    switch (item.kind) {
        case ControlKind::Static: {
            auto* label = new QLabel(text, this);
            label->setAlignment(AlignmentOf(item.styles));
            ApplyFrame(label, item.styles);
            return label;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(text, this);
            edit->setReadOnly(item.styles & kStyleReadOnly);
            edit->setFrame(item.styles & (kStyleBorder | kStyleSunken));
            return edit;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(text, this);
            // Enter is the key filter's business; Qt must never press a button by itself.
            button->setAutoDefault(false);
            button->setDefault(false);
            const int id = item.id;
            connect(button, &QPushButton::clicked, this, [this, id] { m_owner.OnCommand(id); });
            return button;
        }
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(this);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            return bar;
        }
        case ControlKind::Icon: {
            auto* label = new QLabel(this);
            if (const auto* icon = reinterpret_cast<const QIcon*>(LoadIconResource(item.iconId))) {
                const QRect box = m_units->ToPixels(item.x, item.y, item.cx, item.cy);
                label->setPixmap(icon->pixmap(box.size()));
            }
            return label;
        }
    }
    return new QWidget(this);
}

}  // namespace tern::platform
