#pragma once

#include "common/settingsfile.h"

#include <QStringList>

#include <cstdint>

namespace qh::master {

// The presenter's shared state: created at start-up, lives until the program ends. The buttons,
// the follow loop and the control panel read and change it between two passes of the loop. Whether
// the panel is shown is kept by the panel itself (ControlPanel::isShown).
struct PresenterState {
    QStringList urlList;             // entries of the URL list file in file order
    std::int16_t lastPageIndex = -1; // highest valid urlList index, -1 while the list is empty
    std::int16_t pageIndex = 0;      // urlList index last chosen with Home, >> or <<
    bool presenterNavigated = false; // set by >> and <<, cleared by each pass of the follow loop
    PresenterSettings settings;      // child slots (their in-use flags switch children on and off),
                                     // ports and the browser's screen mode
};

} // namespace qh::master
