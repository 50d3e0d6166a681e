#include "child/childprogram.h"
#include "child/childsettings.h"
#include "child/childtrace.h"
#include "common/windowplatform.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // The usage is printed before the application object exists, so that it needs no display.
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--help") == 0 || qstrcmp(argv[i], "-h") == 0) {
            std::fputs(qPrintable(qh::child::usageText()), stdout);
            return 0;
        }
    }
    qh::child::trace(QStringLiteral("start"));
    // On Wayland the call bar could not stay above the page window; XWayland lets it.
    qh::chooseStayOnTopPlatform();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    return qh::child::runChildProgram();
}
