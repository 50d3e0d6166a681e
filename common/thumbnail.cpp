#include "common/thumbnail.h"

#include "common/classroomdatagrams.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <array>

namespace qh {

namespace {
constexpr QByteArrayView kJpegStart = "\xFF\xD8\xFF";
constexpr QByteArrayView kJpegEnd = "\xFF\xD9";
// From the best to the last still readable; a page of text is some 5 to 10 KiB at the best.
constexpr std::array kQualities{75, 55, 35, 15};
constexpr int kSmallestSide = 16;

QByteArray jpegOf(const QImage& picture, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    return writer.write(picture) ? bytes : QByteArray();
}
} // namespace

QByteArray thumbnailBytes(const QImage& picture, qsizetype budget)
{
    if (picture.isNull())
        return {};
    int side = kLargestPictureSide;
    while (side >= kSmallestSide) {
        const QImage scaled = picture.width() <= side && picture.height() <= side
                                  ? picture
                                  : picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        for (const int quality : kQualities) {
            const QByteArray bytes = jpegOf(scaled.convertToFormat(QImage::Format_RGB888), quality);
            if (!bytes.isEmpty() && bytes.size() <= budget)
                return bytes;
        }
        side /= 2;
    }
    return {};
}

std::optional<QImage> thumbnailOf(QByteArrayView bytes)
{
    // A cut-off JPEG still decodes, its missing part grey: only a whole one counts.
    if (bytes.size() > kLargestPictureDatagramBytes || !bytes.startsWith(kJpegStart) || !bytes.endsWith(kJpegEnd))
        return std::nullopt;
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() < 1 || size.height() < 1 || size.width() > kLargestPictureSide ||
        size.height() > kLargestPictureSide)
        return std::nullopt;
    QImage picture;
    if (!reader.read(&picture) || picture.size() != size)
        return std::nullopt;
    return picture;
}

} // namespace qh
