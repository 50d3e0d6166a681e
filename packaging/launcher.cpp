#include "common/messagebox.h"
#include "common/messagetexts.h"
#include "packaging/classfolder.h"
#include "packaging/launchermessages.h"
#include "packaging/lessonchooser.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

// Quillharbour_Launcher [--choose-list] PROGRAM [ARGUMENT...]: runs PROGRAM with its arguments in
// the class folder ~/Quillharbour, which the first start makes from the installed templates. The
// menu entries start the programs through it; the launcher then becomes the program, so nothing of
// it stays running. With --choose-list and no ARGUMENT, the URL list of the class folder (picked
// in a chooser when there are several) becomes PROGRAM's argument.
//
// Quillharbour_Launcher --make-key [FOLDER]: makes the teacher's key pair in FOLDER (by default the
// working folder) without a window, for scripts; see makeKeyCommand().
int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--make-key") == 0 && argc <= 3) {
        const qh::launcher::KeyCommand made =
            qh::launcher::makeKeyCommand(argc == 3 ? QFile::decodeName(argv[2]) : QDir::currentPath());
        std::fputs(made.output.toLocal8Bit().constData(), stdout);
        std::fputs(made.error.toLocal8Bit().constData(), stderr);
        return made.status;
    }
    const bool chooseList = argc > 1 && qstrcmp(argv[1], "--choose-list") == 0;
    const int first = chooseList ? 2 : 1;
    if (argc <= first || qstrcmp(argv[1], "--make-key") == 0) {
        std::fputs("usage: Quillharbour_Launcher [--choose-list] PROGRAM [ARGUMENT...]\n"
                   "       Quillharbour_Launcher --make-key [FOLDER]\n",
                   stderr);
        return 2;
    }
    // The program's arguments go to it untouched: Qt must not take any of them as its own options.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    // The program, not the launcher, answers the desktop's start-up notification.
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");
    QByteArray program;
    QByteArray chosenList;
    {
        QApplication app(qtArgc, qtArgv);
        const qh::MessageBoxDisplay messageBoxes;
        const QString name = QFile::decodeName(argv[first]);
        qh::setProgramTitle(QFileInfo(name).fileName());
        const QString launcherFolder = QCoreApplication::applicationDirPath();
        const qh::launcher::ClassFolder folder = qh::launcher::prepareClassFolder(QDir::homePath(), launcherFolder);
        if (!folder.error.isEmpty()) {
            qh::showMessage(folder.error, qh::kOwnMessageTitle);
            return 1;
        }
        if (folder.created)
            qh::showMessage(qh::launcher::classFolderCreatedText(folder.path, folder.publicKey), qh::kOwnMessageTitle);
        const QString path = qh::launcher::programPath(name, launcherFolder);
        const bool found =
            path.contains(u'/') ? QFileInfo(path).isExecutable() : !QStandardPaths::findExecutable(path).isEmpty();
        if (!found || !QDir::setCurrent(folder.path)) {
            qh::showMessage(qh::launcher::programNotStartedText(name), qh::kOwnMessageTitle);
            return 1;
        }
        program = QFile::encodeName(path);
        if (chooseList && argc == first + 1) {
            const std::optional<QString> list = qh::launcher::pickLessonList(folder.path);
            if (!list)
                return 0; // the teacher closed the chooser: nothing is started
            chosenList = QFile::encodeName(*list);
        }
    }
    if (!startupId.isEmpty())
        qputenv("DESKTOP_STARTUP_ID", startupId);
    qputenv("PWD", QFile::encodeName(QDir::currentPath()));
    std::vector<char*> arguments(argv + first, argv + argc);
    if (!chosenList.isEmpty())
        arguments.push_back(chosenList.data());
    arguments.push_back(nullptr);
    ::execvp(program.constData(), arguments.data());
    std::fprintf(stderr, "Quillharbour_Launcher: %s: %s\n", program.constData(), std::strerror(errno));
    return 127;
}
