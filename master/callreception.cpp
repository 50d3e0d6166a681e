#include "master/callreception.h"

#include "master/callentry.h"
#include "master/callwindow.h"

#include <QListWidget>

namespace qh::master {

CallReception::CallReception(QObject* parent) : QObject(parent) {}

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
    m_window->callList()->addItem(entry);
    m_window->show();
    m_window->raise();
}

void CallReception::windowClosed()
{
    if (!m_window)
        return;
    m_callCount = 0;
    m_window->callList()->clear();
    m_window->disconnect(this);
    // Discarded once its close has finished; the next call builds a fresh window.
    m_window.release()->deleteLater();
}

} // namespace qh::master
