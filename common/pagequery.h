#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVariant>

class QWebEnginePage;

namespace qh {

// Asks a page one script at a time in Qt WebEngine's isolated world (ApplicationWorld), where the
// page's own scripts cannot reach it, and hands the answer over by a signal: nothing ever waits for
// it, since a page can hold its script forever. A question not answered within kPatienceMs is
// given up: the next one is asked, and a late answer to the old one is dropped.
class PageQuery : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPatienceMs = 1000;

    explicit PageQuery(QWebEnginePage& page, QObject* parent = nullptr);

    // Asks unless the question before still waits for its answer (and is not given up yet): false then.
    bool ask(const QString& script);
    bool isWaiting() const;

signals:
    void answered(const QVariant& result);

private:
    QWebEnginePage& m_page;
    quint64 m_asked = 0;    // the number of the last question
    quint64 m_answered = 0; // and of the last one answered
    QElapsedTimer m_askedAt;
};

} // namespace qh
