// A bare Qt WebEngine view and nothing else, in a window of the size our programs give theirs: what
// the presenter's start-up and the child program's memory are compared with, and the child side of
// the bare class (bench_class). On its standard output it writes "<event> <microseconds since 1970>
// <address>": "start" as main() begins, "view" once the view has its page (the browser engine is
// up), "loaded" when a load has ended well ("failed" for the page of the command line), and with
// --listen "ready" once it listens and "open" as a datagram arrives.
//
//     bench_bareview <address>                     loads the address
//     bench_bareview --listen <IPv4 address> <port>  loads the address each datagram carries
#include "bench/bareview.h"

#include <QApplication>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QUrl>

#include <memory>

using namespace qh::bench;

int main(int argc, char* argv[])
{
    printEvent("start");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const bool listening = argc == 4 && qstrcmp(argv[1], "--listen") == 0;
    if (argc != 2 && !listening) {
        std::fprintf(stderr, "usage: bench_bareview <address> | --listen <IPv4 address> <port>\n");
        return 2;
    }
    QWebEngineView view;
    view.page(); // the page setUrl() would make first, in the default profile
    printEvent("view");
    sizeLikeOurWindows(view);
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&view, listening](bool ok) {
        if (ok || !listening)
            printEvent(ok ? "loaded" : "failed", view.url().toString());
    });
    if (!listening) {
        // As the presenter opens its first page: the load first, then the window.
        view.setUrl(QUrl(QString::fromLocal8Bit(argv[1])));
        view.show();
        return QApplication::exec();
    }
    // As a child is shown before its first page comes.
    view.show();
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QString::fromLatin1(argv[2])), quint16(std::atoi(argv[3])))) {
        std::fprintf(stderr, "cannot listen on %s:%s\n", argv[2], argv[3]);
        return 1;
    }
    QObject::connect(&socket, &QUdpSocket::readyRead, &view, [&] {
        while (socket.hasPendingDatagrams()) {
            const QUrl page(QString::fromUtf8(socket.receiveDatagram().data()));
            printEvent("open", page.toString());
            view.setUrl(page);
        }
    });
    printEvent("ready");
    return QApplication::exec();
}
