// A bare Qt WebEngine view showing one page, and nothing else: what the child program's memory and
// the presenter's start-up are compared with. Its window has the size the programs give theirs. It
// says "loaded <microseconds since 1970>" on its standard output once the page has loaded.
//
//     bench_bareview <address>
#include "bench/bareview.h"

#include <QApplication>
#include <QUrl>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bareview <address>\n");
        return 2;
    }
    QWebEngineView view;
    qh::bench::sizeLikeOurWindows(view);
    QObject::connect(&view, &QWebEngineView::loadFinished, &view,
                     [](bool ok) { qh::bench::printEvent(ok ? "loaded" : "failed"); });
    // As the presenter opens its first page: the load first, then the window.
    view.setUrl(QUrl(QString::fromLocal8Bit(argv[1])));
    view.show();
    return QApplication::exec();
}
