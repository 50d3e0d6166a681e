#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

namespace qh::test {

// What the page server answers to the requests of one path.
struct PageResponse {
    enum class Kind {
        Answer,  // the status line, the headers and the body; then the connection closes
        Silent,  // takes the request and never answers
        Endless, // the headers and the start of a body that never ends
        Held,    // waits until PageServer::release() gives the answer
    };
    Kind kind = Kind::Answer;
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArrayList extraHeaders; // whole header lines without line end: "Content-Disposition: attachment"
    int delayMs = 0;             // an Answer comes this long after its request, as from a slow server
};

// An HTML page in UTF-8 with the title and the body's markup.
QByteArray htmlPage(const QString& title, const QString& body = {});
PageResponse answer(const QByteArray& body, int status = 200);

// A small HTTP/1.1 server on 127.0.0.1, for tests and benchmarks that need pages from a web server:
// pages that never answer or never end, downloads, status codes, and the count of each page's
// fetches. It runs in a thread of its own, so that it answers also while the thread that drives the
// browser waits without handling socket events (as the presenter does while a page loads). A path
// it has not been told about is answered with 404.
class PageServer
{
public:
    PageServer(); // listens on a free port of 127.0.0.1
    ~PageServer();
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    bool isListening() const;
    // "/a.html" as a full address of this server.
    QUrl url(const QString& path) const;

    void serve(const QString& path, const PageResponse& response);
    // Answers the held requests of the path, and serves it so from now on.
    void release(const QString& path, const PageResponse& response);

    // Requests for the path (without its query) since the start, answered or not.
    int requestCount(const QString& path) const;
    // Every request's path, in arrival order.
    QStringList requestLog() const;

private:
    class Worker;
    std::unique_ptr<Worker> m_worker;
};

} // namespace qh::test
