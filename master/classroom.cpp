#include "master/classroom.h"

#include "common/classroomdatagrams.h"
#include "master/childfollowup.h"

namespace qh::master {

Classroom::Classroom(const PresenterSettings& settings, const ChildChannel& channel, ChildSender& sender,
                     const ChildReports& reports, ChildFollowUp& followUp, QObject* parent)
    : QObject(parent), m_channel(settings, channel, sender, reports), m_pictures(settings, m_channel),
      m_attention(settings, m_channel)
{
    connect(&followUp, &ChildFollowUp::caughtUp, &m_attention, &Attention::coverAgain);
}

void Classroom::setRunning(bool running)
{
    m_running = running;
    if (running) {
        m_channel.setOpen(true);
    } else {
        m_attention.lift();
        m_channel.setOpen(false); // nothing more after End, not even the lift's repeat
    }
    updateAsking();
}

void Classroom::setViewOpen(bool open)
{
    m_viewOpen = open;
    updateAsking();
}

void Classroom::updateAsking()
{
    m_pictures.setAsking(m_running && m_viewOpen);
}

bool Classroom::takeDatagram(const QByteArray& datagram, const QHostAddress& sender)
{
    if (!looksLikePicture(datagram))
        return false;
    m_pictures.handlePicture(datagram, sender);
    return true;
}

void Classroom::startAttention(std::optional<int> seconds)
{
    if (m_running)
        m_attention.start(seconds);
}

} // namespace qh::master
