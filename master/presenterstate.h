#pragma once

#include "settingsfile.h"

#include <QStringList>

#include <cstdint>

namespace qh::master {

// The presenter's shared state: created at start-up, lives until the program ends. The buttons,
// the follow loop and the control panel read and change it between two passes of the loop. Whether
// the panel is shown is kept by the panel itself (ControlPanel::PanelShown).
struct PresenterState {
    QStringList UrlList;             // entries of the URL list file in file order
    std::int16_t LastPageIndex = -1; // highest valid UrlList index, -1 while the list is empty
    std::int16_t PageIndex = 0;      // UrlList index last chosen with Home, >> or <<
    bool PresenterNavigated = false; // set by >> and <<, cleared by each pass of the follow loop
    PresenterSettings settings;      // child slots, ports and the browser's screen mode
};

} // namespace qh::master
