// A bare Qt WebEngine view showing one page, and nothing else: what the child program's memory is
// compared with. It says "loaded" on its standard output once the page has loaded.
//
//     bench_bareview <address>
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

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
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [](bool ok) {
        std::printf("%s\n", ok ? "loaded" : "failed");
        std::fflush(stdout);
    });
    view.setUrl(QUrl(QString::fromLocal8Bit(argv[1])));
    view.show();
    return QApplication::exec();
}
