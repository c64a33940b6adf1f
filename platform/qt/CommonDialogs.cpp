#include "platform/qt/CommonDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <thread>

namespace tern::platform {
namespace {

std::mutex g_seamMutex;
OpenFileAnswer g_openFileAnswer;
std::function<int(const MessageBoxCall&)> g_messageBoxAnswer;
std::atomic<uint32_t> g_beeps{0};
std::thread::id g_lastBeepThread;  // under g_seamMutex

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

std::string ShowOpenFileDialog(QWidget* owner, const char* defaultExtension, const char* filter,
                               uint32_t flags) {
    OpenFileAnswer answer;
    {
        std::lock_guard lock(g_seamMutex);
        answer = g_openFileAnswer;
    }
    if (answer) {
        return answer().value_or("");
    }
    QFileDialog dialog(owner);
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

int ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                   uint32_t type) {
    std::function<int(const MessageBoxCall&)> answer;
    {
        std::lock_guard lock(g_seamMutex);
        answer = g_messageBoxAnswer;
    }
    if (answer) {
        return answer({text, caption, type});
    }
    const QMessageBox::Icon icon =
        (type & 0xF0) == MB_ICONEXCLAMATION ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, QString::fromLocal8Bit(caption.c_str()),
                    QString::fromLocal8Bit(text.c_str()), QMessageBox::Ok, owner);
    box.exec();
    return 1;
}

void MessageBeep(uint32_t) {
    {
        std::lock_guard lock(g_seamMutex);
        g_lastBeepThread = std::this_thread::get_id();
    }
    ++g_beeps;
    QApplication::beep();
}

void SetOpenFileAnswer(OpenFileAnswer answer) {
    std::lock_guard lock(g_seamMutex);
    g_openFileAnswer = std::move(answer);
}

void SetMessageBoxAnswer(std::function<int(const MessageBoxCall&)> answer) {
    std::lock_guard lock(g_seamMutex);
    g_messageBoxAnswer = std::move(answer);
}

uint32_t BeepCount() {
    return g_beeps.load();
}

std::thread::id LastBeepThread() {
    std::lock_guard lock(g_seamMutex);
    return g_lastBeepThread;
}

}  // namespace tern::platform
