#include "common/messagebox.h"
#include "common/programicons.h"
#include "common/urllist.h"
#include "lesson/lessonmessages.h"
#include "lesson/lessonwindow.h"

#include <QApplication>

// Quillharbour_Lesson [FILE]: edits the URL list FILE, by default weblist.txt in the working folder.
int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(qh::lesson::kLessonTitle);
    qh::setProgramTitle(qh::lesson::kLessonTitle);
    QApplication::setWindowIcon(qh::lessonIcon());
    const qh::MessageBoxDisplay messageBoxes;
    const QStringList arguments = QApplication::arguments();
    auto* window =
        new qh::lesson::LessonWindow(arguments.value(1, qh::kDefaultUrlListFileName)); // deletes itself when closed
    window->show();
    return QApplication::exec();
}
