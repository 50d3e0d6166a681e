#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

#include <optional>

// The pictures of the class view, as they travel: a JPEG of at most kLargestPictureSide pixels each
// way (common/classroomdatagrams.h). The child writes them to fit one datagram; the presenter reads
// what arrives as untrusted bytes.
namespace qh {

// The picture scaled down to fit kLargestPictureSide each way (keeping its shape), as a JPEG of at
// most `budget` bytes: the best quality that fits, a smaller picture when even the lowest does not.
// Empty for a null picture, or when nothing fits.
QByteArray thumbnailBytes(const QImage& picture, qsizetype budget);

// The picture in the bytes, when they are one whole baseline or progressive JPEG (from its start
// marker to its end marker) of 1 to kLargestPictureSide pixels each way, in at most
// kLargestPictureDatagramBytes. The size is read from the header before anything is decoded, so
// that no picture can make the reader allocate more than one thumbnail's pixels.
std::optional<QImage> thumbnailOf(QByteArrayView bytes);

} // namespace qh
