// The child side of the bare class (bench_class): a bare Qt WebEngine view, shown in a window of
// our windows' size, that loads the address each datagram on the given address and port carries.
// On its standard output: "ready", then "open <micros> <address>" as a datagram arrives and
// "loaded <micros> <address>" as a load ends well.
//
//     bench_barechild <IPv4 address to listen on> <port>
#include "bench/bareview.h"

#include <QApplication>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QUrl>

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_barechild <address> <port>\n");
        return 2;
    }
    QWebEngineView view;
    qh::bench::sizeLikeOurWindows(view);
    view.show();
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&view](bool ok) {
        if (ok)
            qh::bench::printEvent("loaded", view.url().toString());
    });
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QString::fromLatin1(argv[1])), quint16(std::atoi(argv[2])))) {
        std::fprintf(stderr, "cannot listen on %s:%s\n", argv[1], argv[2]);
        return 1;
    }
    QObject::connect(&socket, &QUdpSocket::readyRead, &view, [&] {
        while (socket.hasPendingDatagrams()) {
            const QUrl page(QString::fromUtf8(socket.receiveDatagram().data()));
            qh::bench::printEvent("open", page.toString());
            view.setUrl(page);
        }
    });
    qh::bench::printEvent("ready");
    return QApplication::exec();
}
