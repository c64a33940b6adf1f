#include "platform/dialog/CommonDialogsBackend.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "platform/dialog/Window.h"
#include "platform/dialog/qt/DialogWindow.h"

namespace tern::platform {
namespace {

// "Name|patterns|Name|patterns||" as Qt's "Name (patterns);;Name (patterns)". The catch-all
// pattern "*.*" would miss names without a dot here, so it becomes "*".
QString QtFilter(const char* filter) {
    const QStringList parts = QString::fromUtf8(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        QString name = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        if (patterns == "*.*") {
            name.replace("(*.*)", "(*)");
            patterns = "*";
        }
        entries << (name.contains('(') ? name : name + " (" + patterns + ")");
    }
    return entries.join(";;");
}

}  // namespace

std::string NativeOpenFileDialog(CDialog* owner, const char* defaultExtension, const char* filter,
                                 uint32_t flags) {
    QFileDialog dialog(owner ? QtWindowOf(*owner) : nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode((flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                   : QFileDialog::AnyFile);
    dialog.setNameFilter(QtFilter(filter));
    dialog.setDefaultSuffix(QString::fromUtf8(defaultExtension));
    dialog.setOption(QFileDialog::ReadOnly, (flags & OFN_HIDEREADONLY) != 0);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst().toLocal8Bit().toStdString();
}

int NativeMessageBox(CDialog* owner, const std::string& text, const std::string& caption,
                     uint32_t type) {
    const QMessageBox::Icon icon =
        (type & 0xF0) == MB_ICONEXCLAMATION ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, QString::fromLocal8Bit(caption.c_str()),
                    QString::fromLocal8Bit(text.c_str()), QMessageBox::Ok,
                    owner ? QtWindowOf(*owner) : nullptr);
    box.exec();
    return IDOK;
}

void NativeBeep(uint32_t) {
    QApplication::beep();
}

}  // namespace tern::platform
