#pragma once

#include "common/datagrams.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The calls children send to the presenter: two characters of computer number directly followed
// by "Call", for example "07Call", in code page 932 with no terminator.
namespace qh::master {

inline constexpr double kHighestCallNumber = 30;

// The call window keeps the newest calls; older ones leave the top of the list, and the sequence
// numbers go on. Anyone on the network can send calls: the list must not grow without end.
inline constexpr int kCallListLimit = 1000;
// The call window comes up on calls at most once in this time, however many arrive.
inline constexpr int kCallWindowIntervalMs = 250;

// The computer number (characters 1-2, as received) when the text is a call: the number, read
// leniently and unrounded, is not above 30 (there is no lower bound, so "00", "-1" and " 7" pass)
// and the rest of the text is exactly "Call". Anything else is no call.
std::optional<QString> callNumberOf(const QString& text);

// callNumberOf() on the datagram's decoded text. Bytes the decoding cannot account for (a lead byte
// left over at the end) make it no call, so only a datagram that really ends in "Call" counts.
std::optional<QString> callNumberOfDatagram(QByteArrayView datagram);

// One line of the call list: the last two digits of the counter, zero-padded, then
// ":コンピュータ番号:" and the computer number as received. 3 -> "03:コンピュータ番号:07".
QString callEntry(qint16 callCount, const QString& computerNumber);

// The counter after one more call. It holds at most 32 767; after that it steps back by 32 700, a
// multiple of 100, so the two-digit sequence in the list goes on (..., 67, 68, 69) without a jump.
qint16 nextCallCount(qint16 callCount);

} // namespace qh::master
