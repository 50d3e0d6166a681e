#include "help/helpviewer.h"

#include <QApplication>

using namespace Qt::StringLiterals;

// Quillharbour_Help <help file>: shows a help file found in the working directory or next to
// this program. The settings tool starts it for its help menu.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Quillharbour_Help"_s);
    const QStringList arguments = QApplication::arguments();
    qh::help::HelpWindow window(arguments.value(1), QApplication::applicationDirPath());
    window.show();
    return QApplication::exec();
}
