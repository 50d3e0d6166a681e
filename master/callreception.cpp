#include "master/callreception.h"

#include "master/callentry.h"
#include "master/callwindow.h"

#include <QListWidget>

namespace qh::master {

CallReception::CallReception(QObject* parent) : QObject(parent)
{
    m_bringUpLater.setSingleShot(true);
    connect(&m_bringUpLater, &QTimer::timeout, this, &CallReception::bringUpWindow);
}

CallReception::~CallReception() = default;

void CallReception::handleDatagram(const QByteArray& datagram)
{
    const std::optional<QString> computerNumber = callNumberOfDatagram(datagram);
    if (!computerNumber)
        return;
    m_callCount = nextCallCount(m_callCount);
    const QString entry = callEntry(m_callCount, *computerNumber);
    if (!m_window) {
        // Built from its layout, still hidden, on the first call after start or after a close.
        m_window = std::make_unique<CallWindow>();
        connect(m_window.get(), &CallWindow::closed, this, &CallReception::windowClosed);
    }
    QListWidget* list = m_window->callList();
    list->addItem(entry);
    if (list->count() > kCallListLimit)
        delete list->takeItem(0);
    if (m_bringUpLater.isActive())
        return; // it comes up when the interval is over, with this call listed
    const qint64 since = m_sinceBroughtUp.isValid() ? m_sinceBroughtUp.elapsed() : kCallWindowIntervalMs;
    if (since >= kCallWindowIntervalMs)
        bringUpWindow();
    else
        m_bringUpLater.start(int(kCallWindowIntervalMs - since));
}

void CallReception::bringUpWindow()
{
    if (!m_window)
        return;
    m_sinceBroughtUp.start();
    m_window->show();
    m_window->raise();
}

void CallReception::windowClosed()
{
    if (!m_window)
        return;
    m_callCount = 0;
    m_bringUpLater.stop();
    m_sinceBroughtUp.invalidate(); // the next call's fresh window comes up at once
    m_window->callList()->clear();
    m_window->disconnect(this);
    // Discarded once its close has finished; the next call builds a fresh window.
    m_window.release()->deleteLater();
}

} // namespace qh::master
