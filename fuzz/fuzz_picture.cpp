// Feeds arbitrary bytes to the presenter's reading of a child's picture and of the classroom
// commands, to find datagrams that crash the readers, a picture taken beyond its limits (a
// datagram over 16 KiB, a thumbnail over 200 pixels either way) or a command that is not written
// back exactly as it came.
#include "common/classroomdatagrams.h"
#include "common/thumbnail.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<qh::ClassroomCommand> command = qh::classroomCommandOf(datagram)) {
        if (qh::classroomCommandDatagram(*command) != datagram)
            std::abort();
    }
    // The image bytes alone, as a thumbnail that arrives in a datagram of its own.
    if (const std::optional<QImage> picture = qh::thumbnailOf(datagram)) {
        if (picture->isNull() || picture->width() > qh::kLargestPictureSide ||
            picture->height() > qh::kLargestPictureSide || size > std::size_t(qh::kLargestPictureDatagramBytes))
            std::abort();
    }
    const std::optional<qh::PictureReport> report = qh::pictureReportOf(datagram);
    if (!report)
        return 0;
    if (size > std::size_t(qh::kLargestPictureDatagramBytes) || !qh::looksLikePicture(datagram) ||
        qh::pictureDatagram(*report) != datagram || report->computerNumber < 1 || report->computerNumber > 30)
        std::abort();
    if (report->hidden != report->image.isEmpty())
        std::abort();
    return 0;
}
