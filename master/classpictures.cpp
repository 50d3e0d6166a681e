#include "master/classpictures.h"

#include "common/classroomdatagrams.h"
#include "common/logcategories.h"
#include "common/thumbnail.h"
#include "master/extensionchannel.h"

#include <QRandomGenerator>

#include <algorithm>

namespace qh::master {

ClassPictures::ClassPictures(const PresenterSettings& settings, ExtensionChannel& channel, QObject* parent)
    : QObject(parent), m_settings(settings), m_channel(channel), m_asking(this)
{
    m_clock.start();
    // One slot a tick: every slot once in each interval, whatever the number of children.
    m_asking.setInterval(int(kPictureIntervalMs / kSlotCount));
    m_asking.setTimerType(Qt::PreciseTimer); // a coarse tick drifts, and a slot would miss its turn
    connect(&m_asking, &QTimer::timeout, this, &ClassPictures::askNext);
}

void ClassPictures::setAsking(bool asking)
{
    if (asking == m_asking.isActive())
        return;
    if (!asking) {
        m_asking.stop();
        return;
    }
    m_asking.start();
    askNext();
}

void ClassPictures::askNext()
{
    const int index = m_nextSlot;
    m_nextSlot = (m_nextSlot + 1) % kSlotCount;
    if (!m_settings.childSlots.at(std::size_t(index)).isInUse())
        return;
    Slot& slot = m_slots[std::size_t(index)];
    // A view closed and opened again starts a new round; no slot is asked sooner for it.
    const qint64 now = m_clock.elapsed();
    if (slot.askedMs && now - *slot.askedMs < kPictureIntervalMs - m_asking.interval())
        return;
    slot.askedMs = now;
    const QByteArray token = QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0');
    slot.tokens = {token, slot.tokens[0]};
    m_channel.send({index}, classroomCommandDatagram({ClassroomCommand::Kind::Picture, token, std::nullopt}),
                   ExtensionChannel::Timing::NotWhileHeld);
}

void ClassPictures::handlePicture(QByteArrayView datagram, const QHostAddress& sender)
{
    const std::optional<PictureReport> report = pictureReportOf(datagram);
    if (!report) {
        qCDebug(channelLog).noquote() << "picture from" << sender.toString() << "dropped: malformed or too large";
        return;
    }
    const int index = report->computerNumber - 1;
    Slot& slot = m_slots[std::size_t(index)];
    if (report->token != slot.tokens[0] && report->token != slot.tokens[1]) {
        qCDebug(channelLog).noquote() << "picture from" << sender.toString() << "for slot" << report->computerNumber
                                      << "dropped: it answers no request";
        return;
    }
    if (!m_channel.isSlotComputer(index, sender)) {
        qCDebug(channelLog).noquote() << "picture from" << sender.toString() << "for slot" << report->computerNumber
                                      << "dropped: not from the slot's computer";
        return;
    }
    std::optional<QImage> image;
    if (!report->hidden) {
        image = thumbnailOf(report->image);
        if (!image) {
            qCDebug(channelLog).noquote() << "picture from" << sender.toString() << "for slot" << report->computerNumber
                                          << "dropped: no JPEG within the limits";
            return;
        }
    }
    // Each request is answered once: a copy of the answer is no news.
    std::replace(slot.tokens.begin(), slot.tokens.end(), report->token, QByteArray());
    slot.picture = {image.value_or(QImage()), report->hidden, m_clock.elapsed()};
    emit pictureChanged(index);
}

std::optional<qint64> ClassPictures::ageMs(int slotIndex) const
{
    const std::optional<qint64>& received = picture(slotIndex).receivedMs;
    if (!received)
        return std::nullopt;
    return m_clock.elapsed() - *received;
}

bool ClassPictures::isStale(int slotIndex) const
{
    const std::optional<qint64> age = ageMs(slotIndex);
    return age && *age > kPictureStaleMs;
}

} // namespace qh::master
