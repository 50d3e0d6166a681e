#include "form1.h"
#include "messagebox.h"
#include "programinfo.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(qh::kPresenterTitle);
    qh::setProgramTitle(qh::kPresenterTitle);
    qh::master::Form1 form;
    form.show();
    return QApplication::exec();
}
