#include "master/followstyle.h"

#include "common/bgrcolor.h"

namespace qh::master {

std::uint32_t followBackground(FollowState state)
{
    switch (state) {
    case FollowState::Following:
        return 0xCEEFC6;
    case FollowState::OtherPage:
        return 0x9CEBFF;
    case FollowState::Silent:
        return 0xCEC7FF;
    case FollowState::SwitchedOff:
        return 0xC0C0C0;
    case FollowState::Unknown:
        break;
    }
    return kBgrWhite;
}

} // namespace qh::master
