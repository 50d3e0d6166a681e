#include "about.h"

#include "frmabout.h"

namespace qh::tool {

void showAbout()
{
    showAboutBox();
}

} // namespace qh::tool
