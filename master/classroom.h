#pragma once

#include "master/attention.h"
#include "master/classpictures.h"
#include "master/extensionchannel.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

namespace qh::master {

class ChildChannel;
class ChildFollowUp;
class ChildReports;
class ChildSender;

// What the presenter does with its own children beyond the described presentation: the pictures
// of the class view and attention, both spoken only with children that have reported
// (ExtensionChannel), and both only while the presentation runs (from the opening of the browser
// until End).
class Classroom : public QObject
{
    Q_OBJECT
public:
    // The presenter's settings, channel, sender, reports and follow-up must outlive this object.
    Classroom(const PresenterSettings& settings, const ChildChannel& channel, ChildSender& sender,
              const ChildReports& reports, ChildFollowUp& followUp, QObject* parent = nullptr);

    ClassPictures& pictures() { return m_pictures; }
    const ClassPictures& pictures() const { return m_pictures; }
    Attention& attention() { return m_attention; }

    // The presentation runs; when it stops (End), attention is lifted and nothing more is asked.
    void setRunning(bool running);
    bool isRunning() const { return m_running; }
    // The class view is open: pictures are asked for while it is and the presentation runs.
    void setViewOpen(bool open);

    // Takes a datagram that is a picture; false for every other datagram, which the caller handles.
    bool takeDatagram(const QByteArray& datagram, const QHostAddress& sender);

    // Starts attention while the presentation runs; see Attention::start().
    void startAttention(std::optional<int> seconds);

private:
    void updateAsking();

    ExtensionChannel m_channel;
    ClassPictures m_pictures;
    Attention m_attention;
    bool m_running = false;
    bool m_viewOpen = false;
};

} // namespace qh::master
