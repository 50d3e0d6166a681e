#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <vector>

class QTimer;

// The check before class: every distinct entry that the presenter's browser would load is loaded
// in a hidden page, a few at a time, and each gives its title or why it did not load.
namespace qh::lesson {

struct PageOutcome {
    enum class Kind {
        Loaded,       // the page's title
        HttpStatus,   // the server answered with an error status
        NetworkError, // no answer: the name, the connection, the certificate, a missing file
        Download,     // the address gives a file to download, not a page
        Crashed,      // the page's renderer died
        TimedOut,     // the time limit passed first
    };
    Kind kind = Kind::Loaded;
    QString title;      // for Loaded (and whatever was known at a timeout)
    int httpStatus = 0; // for HttpStatus
    QString error;      // for NetworkError: the browser's reason

    bool isProblem() const { return kind != Kind::Loaded; }
};

// Loads one page at a time, hidden, and says how it went. After stop() it reports nothing more of
// the load it stopped; stop() on an idle probe lets go of what it holds.
class PageProbe : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void load(const QUrl& url) = 0;
    virtual void stop() = 0;

signals:
    void finished(const PageOutcome& outcome);
};

class PageCheck : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::seconds kPageTimeLimit{15};

    // Checks with the probes given (the check uses them, their parent owns them), each page for at
    // most timeLimit.
    PageCheck(const std::vector<PageProbe*>& probes, std::chrono::milliseconds timeLimit = kPageTimeLimit,
              QObject* parent = nullptr);

    // Starts checking the entries; an entry given twice is loaded once, and entries the presenter
    // would not load (an empty one, a refused address) are not loaded at all. An earlier check is
    // cancelled.
    void start(const QStringList& entries);
    // Stops every load at once; finished(true) follows.
    void cancel();

    bool isRunning() const { return m_running; }
    int total() const { return int(m_queue.size()); }
    int done() const { return m_done; }

signals:
    void checking(const QString& entry);
    void checked(const QString& entry, const PageOutcome& outcome);
    void progressed(int done, int total);
    void finished(bool cancelled);

private:
    struct Slot {
        PageProbe* probe = nullptr;
        QTimer* timer = nullptr;
        QString entry; // empty while idle
    };
    void startNext(Slot& slot);
    void slotFinished(Slot& slot, const PageOutcome& outcome);
    // Ends every probe's load, or lets its page go.
    void stopProbes();

    std::vector<Slot> m_slots;
    std::chrono::milliseconds m_timeLimit;
    QStringList m_queue; // the distinct entries to load
    int m_next = 0;
    int m_done = 0;
    bool m_running = false;
    quint64 m_run = 0; // counts the starts, so that a step queued by an earlier run is dropped
};

} // namespace qh::lesson
