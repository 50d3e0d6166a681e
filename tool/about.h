#pragma once

namespace qh::tool {

// Shows the program's About box: the one place the settings tool opens it from.
void showAbout();

} // namespace qh::tool
