#pragma once

#include "common/pagerule.h"
#include "common/viewdatagrams.h"

#include <QByteArrayView>
#include <QUrl>

// What a child does with one datagram from the presenter, decided from its exact bytes alone.
namespace qh::child {

struct ChildAction {
    enum class Kind {
        None,         // ignored: an unknown command, or no address the page window may open
        Show,         // Command:VisibleTrue
        Hide,         // Command:VisibleFalse
        FullScreen,   // Command:FullScreen
        WindowScreen, // Command:WindowScreen
        CallReceived, // Command:CallReceived: our presenter has listed this child's call
        Place,        // Command:Place:<spot>: scroll to where the teacher is (common/viewdatagrams.h)
        Pointer,      // Command:Pointer:<spot>: show the teacher's pointer there
        PointerOff,   // Command:PointerOff
        Zoom,         // Command:Zoom:<percent>
        Open,         // a page address
    };
    Kind kind = Kind::None;
    QUrl page;                       // for Open: the page to show; for a refused address: as read
    Refusal refusal = Refusal::None; // why an address is not shown
    PageSpot spot{};                 // for Place and Pointer
    int zoomPercent = 100;           // for Zoom

    bool operator==(const ChildAction&) const = default;
};

// A datagram that starts with "Command:" is a command when its bytes are exactly one of the five or
// one of the teacher's view written as it must be, else ignored. Any other datagram is a page address when it is code
// page 932 text of one line (no control character) and the child's page rule shows it; an empty datagram and bytes that
// are no code page 932 text are ignored, an address the rule refuses is ignored with its refusal.
ChildAction childActionOf(QByteArrayView datagram, const PageRule& rule);

// Whether the datagram names a page (every datagram that is no command does), whatever the address
// rules make of it.
bool isPageDatagram(QByteArrayView datagram);

} // namespace qh::child
