#pragma once

#include <QColor>

#include <cstdint>

class QWidget;

// Colours in the 0xBBGGRR form the window layouts are given in: the low byte is red, the high byte
// blue, so 0xFF0000 is blue and 0x0000FF is red.
namespace qh {

inline constexpr std::uint32_t kBgrBlue = 0xFF0000;
inline constexpr std::uint32_t kBgrRed = 0x0000FF;
inline constexpr std::uint32_t kBgrBlack = 0x000000;
inline constexpr std::uint32_t kBgrGrey = 0x808080;
inline constexpr std::uint32_t kBgrWhite = 0xFFFFFF;

QColor colorFromBgr(std::uint32_t bgr);

// Sets the text colour of a label or similar widget for its enabled look (active and inactive
// window); a disabled widget keeps the platform's greyed text.
void setTextColor(QWidget* widget, std::uint32_t bgr);

} // namespace qh
