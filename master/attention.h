#pragma once

#include "common/settingsfile.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <optional>

namespace qh::master {

class ExtensionChannel;

// The lift is sent again after this long, for a child that lost it.
inline constexpr int kLiftRepeatMs = 1000;
// The times the teacher chooses from, besides "until lifted".
inline constexpr std::array kAttentionChoiceSeconds{60, 120, 300};

// "Eyes on me": every child in use that speaks our extension covers all its screens with a
// message, for a number of seconds or until lifted. The presenter sends "Command:AttentionOn"
// with the time left when it starts, every kAttentionRefreshMs, and to a child that has just been
// caught up after a (re)start; "Command:AttentionOff" when it is lifted or the presentation
// ends. Each child uncovers by itself at the end of the time it was told, and
// when the refreshes stop (kAttentionAbandonedMs), so that no student computer stays covered when
// the teacher's has gone.
class Attention : public QObject
{
    Q_OBJECT
public:
    // The settings and the channel must outlive this object.
    Attention(const PresenterSettings& settings, ExtensionChannel& channel, QObject* parent = nullptr);

    // Covers the children for that many seconds (1 to kLongestAttentionSeconds), or none: until
    // lifted. Another choice while on replaces the time.
    void start(std::optional<int> seconds);
    void lift();

    bool isOn() const { return m_on; }
    // The time left; none while off or until lifted.
    std::optional<qint64> remainingMs() const;

    // A child that has just (re)started is covered again, for the time left.
    void coverAgain(int slotIndex);

signals:
    // On, off, or another time.
    void changed();

private:
    void sendLift();
    void timeOver();
    void turnOff(const char* why);
    void refresh();
    QByteArray onDatagram() const;
    QList<int> slotsInUse() const;

    const PresenterSettings& m_settings;
    ExtensionChannel& m_channel;
    bool m_on = false;
    std::optional<QDeadlineTimer> m_deadline;
    QTimer m_refresh;
    QTimer m_end;
    QTimer m_liftAgain;
};

} // namespace qh::master
