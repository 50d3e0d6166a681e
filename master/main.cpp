#include "common/messagebox.h"
#include "common/programicons.h"
#include "common/programinfo.h"
#include "common/urllist.h"
#include "common/windowplatform.h"
#include "master/presenter.h"
#include "master/presentertrace.h"
#include "master/presenterwindows.h"
#include "master/webbrowser.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    qh::master::trace(QStringLiteral("start"));
    // The URL list is named by the whole argument string, read before Qt takes its own options.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString urlListName = qh::urlListFileName(arguments);

    // On Wayland the bar could not stay above the browser; XWayland lets it.
    qh::chooseStayOnTopPlatform();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(qh::kPresenterTitle);
    QApplication::setQuitOnLastWindowClosed(false); // End, not a closed window, ends the program
    qh::setProgramTitle(qh::kPresenterTitle);
    QApplication::setWindowIcon(qh::presenterIcon());
    const qh::MessageBoxDisplay messageBoxes;

    qh::master::PresenterOptions options;
    options.urlListFileName = urlListName;
    options.createBrowser = [] { return std::make_unique<qh::master::WebBrowser>(); };
    qh::master::Presenter presenter(std::move(options));
    qh::master::PresenterWindows windows(presenter);
    QObject::connect(&presenter, &qh::master::Presenter::ended, &app, [] { QCoreApplication::exit(0); });
    presenter.run();
    if (presenter.hasEnded())
        return 0;
    return QApplication::exec(); // start-up was abandoned: the bar waits for End
}
