#include "tests/support/pageserver.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace qh::test {

QByteArray htmlPage(const QString& title, const QString& body)
{
    return (u"<!DOCTYPE html><html><head><meta charset='utf-8'><title>%1</title></head><body>%2</body></html>"_s)
        .arg(title, body)
        .toUtf8();
}

PageResponse answer(const QByteArray& body, int status)
{
    PageResponse response;
    response.status = status;
    response.body = body;
    return response;
}

namespace {
QByteArray statusLine(int status)
{
    const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Status";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
}

QByteArray headers(const PageResponse& response, qint64 contentLength)
{
    QByteArray head = statusLine(response.status);
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(contentLength) + "\r\n";
    head += "Cache-Control: no-store\r\nConnection: close\r\n";
    for (const QByteArray& line : response.extraHeaders)
        head += line + "\r\n";
    return head + "\r\n";
}
} // namespace

// The server's sockets live in its own thread; what the test thread asks and reads goes through the
// mutex.
class PageServer::Worker
{
public:
    Worker()
    {
        m_home.moveToThread(&m_thread);
        m_thread.start();
        inThread([this] {
            m_server = new QTcpServer(&m_home);
            QObject::connect(m_server, &QTcpServer::newConnection, &m_home, [this] { accept(); });
            if (m_server->listen(QHostAddress::LocalHost, 0))
                m_port = m_server->serverPort();
        });
    }
    ~Worker()
    {
        inThread([this] {
            delete m_server; // closes every connection, the silent and held ones too
            m_server = nullptr;
        });
        m_thread.quit();
        m_thread.wait();
    }

    template <typename Function> void inThread(Function function)
    {
        QMetaObject::invokeMethod(&m_home, function, Qt::BlockingQueuedConnection);
    }

    quint16 port() const { return m_port; }

    void serve(const QString& path, const PageResponse& response)
    {
        const QMutexLocker lock(&m_mutex);
        m_routes.insert(path, response);
    }

    void release(const QString& path, const PageResponse& response)
    {
        serve(path, response);
        inThread([this, path, response] {
            for (const QPointer<QTcpSocket>& socket : m_held.take(path)) {
                if (socket)
                    respond(socket, response, path);
            }
        });
    }

    int requestCount(const QString& path) const
    {
        const QMutexLocker lock(&m_mutex);
        return m_counts.value(path);
    }

    QStringList requestLog() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_log;
    }

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            socket->setParent(m_server);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
        }
    }

    void read(QTcpSocket* socket)
    {
        QByteArray& request = m_requests[socket];
        if (request.isNull())
            request = ""; // not null once it has started: a second request on it is not read
        else if (request.endsWith("\r\n\r\n"))
            return;
        request += socket->readAll();
        const qsizetype end = request.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        request.truncate(end + 4);
        const QByteArrayList requestLine = request.left(request.indexOf("\r\n")).split(' ');
        const QString path = QUrl(QString::fromLatin1(requestLine.value(1))).path();
        PageResponse response = answer(htmlPage(u"404"_s), 404);
        {
            const QMutexLocker lock(&m_mutex);
            ++m_counts[path];
            m_log.append(path);
            response = m_routes.value(path, response);
        }
        respond(socket, response, path);
    }

    void respond(QTcpSocket* socket, const PageResponse& response, const QString& path)
    {
        switch (response.kind) {
        case PageResponse::Kind::Answer:
            if (response.delayMs > 0) {
                PageResponse now = response;
                now.delayMs = 0;
                QTimer::singleShot(response.delayMs, socket, [this, socket, now, path] { respond(socket, now, path); });
                return;
            }
            socket->write(headers(response, response.body.size()) + response.body);
            socket->disconnectFromHost();
            return;
        case PageResponse::Kind::Silent:
            return;
        case PageResponse::Kind::Endless:
            socket->write(headers(response, qint64(1) << 40) + response.body);
            return;
        case PageResponse::Kind::Held:
            m_held[path].append(socket);
            return;
        }
    }

    QThread m_thread;
    QObject m_home; // lives in m_thread: the parent of the server, whose sockets are its children
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    QHash<QTcpSocket*, QByteArray> m_requests;
    QHash<QString, QList<QPointer<QTcpSocket>>> m_held;
    mutable QMutex m_mutex;
    QHash<QString, PageResponse> m_routes;
    QHash<QString, int> m_counts;
    QStringList m_log;
};

PageServer::PageServer() : m_worker(std::make_unique<Worker>()) {}

PageServer::~PageServer() = default;

bool PageServer::isListening() const
{
    return m_worker->port() != 0;
}

QUrl PageServer::url(const QString& path) const
{
    return QUrl(u"http://127.0.0.1:%1%2"_s.arg(m_worker->port()).arg(path));
}

void PageServer::serve(const QString& path, const PageResponse& response)
{
    m_worker->serve(path, response);
}

void PageServer::release(const QString& path, const PageResponse& response)
{
    m_worker->release(path, response);
}

int PageServer::requestCount(const QString& path) const
{
    return m_worker->requestCount(path);
}

QStringList PageServer::requestLog() const
{
    return m_worker->requestLog();
}

} // namespace qh::test
