#pragma once

#include "master/childreports.h"

#include <cstdint>

namespace qh::master {

// The background (0xBBGGRR) that tells how a slot's child follows, wherever the presenter shows a
// slot: light, so that the blue and red text of the panel stays readable on each. Green following,
// yellow on another page, pink silent, white never heard from, grey switched off.
std::uint32_t followBackground(FollowState state);

} // namespace qh::master
