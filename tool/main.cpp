#include "form1.h"
#include "messagebox.h"
#include "programicons.h"
#include "programinfo.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(qh::kToolTitle);
    qh::setProgramTitle(qh::kToolTitle);
    QApplication::setWindowIcon(qh::toolIcon());
    // The window deletes itself when it is closed; "終了" ends the program with it still open.
    QPointer<qh::tool::Form1> form = new qh::tool::Form1;
    form->show();
    const int status = QApplication::exec();
    delete form.data();
    return status;
}
