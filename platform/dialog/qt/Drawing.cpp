// Menus, brushes, device contexts and icons on Qt.
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <map>
#include <mutex>

#include "platform/dialog/Dialog.h"
#include "platform/dialog/qt/DialogWindow.h"

namespace tern::platform {

bool CMenu::AppendMenu(uint32_t, uintptr_t, const char*) {
    return false;  // no menu of the window manager's can be reached from here
}

CBrush::~CBrush() = default;

bool CBrush::CreateSolidBrush(ColorRef colour) {
    // Qt paints with colours; there is no system object to make.
    m_colour = colour;
    m_created = true;
    return true;
}

ColorRef CDC::SetBkColor(ColorRef colour) {
    const ColorRef before = m_bkColour;
    m_bkColour = colour;
    return before;
}

bool CDC::DrawIcon(int x, int y, IconHandle icon) {
    auto* painter = reinterpret_cast<QPainter*>(m_handle);
    const auto* qicon = reinterpret_cast<const QIcon*>(icon);
    if (!painter || !qicon) {
        return false;
    }
    const Size size = SystemIconSize();
    qicon->paint(painter, x, y, size.cx, size.cy);
    return true;
}

CPaintDC::CPaintDC(CDialog& dialog)
    : CDC(reinterpret_cast<intptr_t>(new QPainter(AsDialogWindow(dialog)))), m_dialog(dialog) {}

CPaintDC::~CPaintDC() {
    delete reinterpret_cast<QPainter*>(m_handle);
}

IconHandle LoadIconResource(int id) {
    // The program's icons are Qt resources, one image per size under ":/icons/<id>/".
    static std::mutex mutex;
    static std::map<int, QIcon> icons;
    std::lock_guard lock(mutex);
    auto found = icons.find(id);
    if (found == icons.end()) {
        QIcon icon;
        const QDir folder(QStringLiteral(":/icons/%1").arg(id));
        for (const QString& size : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            for (const QString& file : QDir(folder.filePath(size)).entryList(QDir::Files)) {
                icon.addFile(folder.filePath(size) + "/" + file);
            }
        }
        found = icons.emplace(id, icon).first;
    }
    return found->second.isNull() ? nullptr : reinterpret_cast<IconHandle>(&found->second);
}

Size SystemIconSize() {
    return {32, 32};
}

}  // namespace tern::platform
