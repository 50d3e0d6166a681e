#include "common/messagebox.h"
#include "common/programicons.h"
#include "common/programinfo.h"
#include "tool/settingswindow.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(qh::kToolTitle);
    qh::setProgramTitle(qh::kToolTitle);
    QApplication::setWindowIcon(qh::toolIcon());
    const qh::MessageBoxDisplay messageBoxes;
    // The window deletes itself when it is closed; "終了" ends the program with it still open.
    QPointer<qh::tool::SettingsWindow> window = new qh::tool::SettingsWindow;
    window->show();
    const int status = QApplication::exec();
    delete window.data();
    return status;
}
