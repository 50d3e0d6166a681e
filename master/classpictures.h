#pragma once

#include "common/settingsfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QImage>
#include <QObject>
#include <QTimer>

#include <array>
#include <optional>

namespace qh::master {

class ExtensionChannel;

// Each child is asked for a picture this often while the class view is open.
inline constexpr qint64 kPictureIntervalMs = 3000;
// A picture older than this is shown greyed: its child has not answered the last two requests.
inline constexpr qint64 kPictureStaleMs = 7000;

// One slot's latest picture.
struct SlotPicture {
    QImage image;                     // null until a picture came, and while the page window is hidden
    bool hidden = false;              // the child's page window is not shown
    std::optional<qint64> receivedMs; // on ClassPictures::nowMs()'s clock
};

// The pictures of the class view: while asked to, it asks each child in use that speaks our
// extension for a picture every kPictureIntervalMs, one slot after the other spread over that time
// (so that thirty answers never arrive at once), and keeps the latest picture of each slot and
// nothing more, so that memory stays bounded whatever arrives.
//
// A picture is untrusted input: it is taken only as the answer to one of the slot's last two
// requests (by its token), from the slot's configured computer, and only when it holds a whole
// JPEG within the size limits (common/thumbnail.h). Anything else is dropped before it is
// decoded, so a flood costs a few comparisons a datagram and changes nothing for the other slots.
class ClassPictures : public QObject
{
    Q_OBJECT
public:
    // The settings and the channel must outlive this object.
    ClassPictures(const PresenterSettings& settings, ExtensionChannel& channel, QObject* parent = nullptr);

    // Asking starts with the next slot at once and stops at once: not asking, nothing is sent.
    void setAsking(bool asking);
    bool isAsking() const { return m_asking.isActive(); }

    // A datagram that looks like a picture (looksLikePicture()), with the address it came from.
    void handlePicture(QByteArrayView datagram, const QHostAddress& sender);

    const SlotPicture& picture(int slotIndex) const { return m_slots.at(std::size_t(slotIndex)).picture; }
    // Milliseconds since the slot's latest picture came; none before the first.
    std::optional<qint64> ageMs(int slotIndex) const;
    bool isStale(int slotIndex) const;

signals:
    // The slot's picture (or that its page window is hidden) has come.
    void pictureChanged(int slotIndex);

private:
    struct Slot {
        SlotPicture picture;
        std::array<QByteArray, 2> tokens; // of the last two requests, newest first
        std::optional<qint64> askedMs;
    };

    void askNext();

    const PresenterSettings& m_settings;
    ExtensionChannel& m_channel;
    std::array<Slot, kSlotCount> m_slots;
    QElapsedTimer m_clock;
    QTimer m_asking;
    int m_nextSlot = 0;
};

} // namespace qh::master
