#include "callreception.h"

#include "callentry.h"
#include "form3.h"

#include <QListWidget>

namespace qh::master {

CallReception::CallReception(QObject* parent) : QObject(parent) {}

CallReception::~CallReception() = default;

void CallReception::Winsock1_DataArrival(const QByteArray& datagram)
{
    const std::optional<QString> computerNumber = callNumberOfDatagram(datagram);
    if (!computerNumber)
        return;
    m_CallCount = nextCallCount(m_CallCount);
    const QString entry = callEntry(m_CallCount, *computerNumber);
    if (!m_form) {
        // Built from its layout, still hidden, on the first call after start or after a close.
        m_form = std::make_unique<Form3>();
        connect(m_form.get(), &Form3::unloaded, this, &CallReception::Form3_Unload);
    }
    m_form->List1()->addItem(entry);
    m_form->show();
    m_form->raise();
}

void CallReception::Form3_Unload()
{
    if (!m_form)
        return;
    m_CallCount = 0;
    m_form->List1()->clear();
    m_form->disconnect(this);
    // Discarded once its close has finished; the next call builds a fresh window.
    m_form.release()->deleteLater();
}

} // namespace qh::master
