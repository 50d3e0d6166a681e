#pragma once

#include "common/settingsfile.h"
#include "master/childreports.h"

#include <QString>
#include <QStringList>

namespace qh::master {

// What the control panel needs from the running presenter: the child slots whose in-use flags the
// panel flips, the two sends to a child, the browser, and how each child follows.
class PresenterServices
{
public:
    virtual ~PresenterServices() = default;

    // Slot 0..29 of the settings read at start-up; its in-use flag is the child's on/off state.
    virtual ChildSlot& childSlot(int index) = 0;
    // The master screen-mode text read at start-up.
    virtual QString screenMode() const = 0;

    // Sends each text ("Command:" + verb, or a bare address) to the slot's child as one datagram, in
    // order: one step, for which the slot's computer name is looked up once. A name that does not
    // resolve shows its message at each text.
    virtual void sendToChild(int slot, const QStringList& texts) = 0;

    // The address the browser shows now. When the browser cannot report one (its window was closed
    // by the user), the last address the presenter showed.
    virtual QString browserLocation() = 0;
    virtual void setBrowserFullScreen(bool fullScreen) = 0;

    // What the slot's child last reported, and how closely it follows the presentation now.
    virtual SlotFollowing slotFollowing(int index) const = 0;

    // The teacher's pointer on the children's pages.
    virtual bool isPointerOn() const = 0;
    virtual void setPointerOn(bool on) = 0;
};

} // namespace qh::master
