#include "common/viewdatagrams.h"

#include "common/datagrams.h"

#include <algorithm>
#include <array>

namespace qh {

namespace {
constexpr char kNoElement = '-';

bool isIdCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == ':';
}

// A decimal without leading zeros, "-" in front only where negatives are allowed and never "-0".
std::optional<int> numberOf(QByteArrayView text, int smallest, int largest)
{
    const bool negative = text.startsWith('-');
    const QByteArrayView digits = negative ? text.sliced(1) : text;
    if (digits.isEmpty() || digits.size() > 10 || (digits.size() > 1 && digits[0] == '0') ||
        (negative && digits == "0"))
        return std::nullopt;
    qint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < smallest || value > largest)
        return std::nullopt;
    return int(value);
}

bool readElement(QByteArrayView text, PageSpot& spot)
{
    if (text == QByteArrayView(&kNoElement, 1))
        return true;
    if (text.startsWith('#')) {
        qsizetype end = 1;
        while (end < text.size() && text[end] != '/')
            ++end;
        const QByteArrayView id = text.sliced(1, end - 1);
        if (id.isEmpty() || id.size() > kLongestElementId || !std::all_of(id.begin(), id.end(), isIdCharacter))
            return false;
        spot.elementId = id.toByteArray();
        text = text.sliced(end);
    } else if (!text.startsWith('/')) {
        return false;
    }
    // Each step is "/" and an index; a trailing "/" or an empty step is no index.
    while (!text.isEmpty()) {
        qsizetype end = 1;
        while (end < text.size() && text[end] != '/')
            ++end;
        const std::optional<int> index = numberOf(text.sliced(1, end - 1), 0, kLargestElementIndex);
        if (!index || spot.path.size() == kLongestElementPath)
            return false;
        spot.path.append(*index);
        text = text.sliced(end);
    }
    return true;
}

QByteArray commandBytes(const QString& verb)
{
    return datagramBytes(commandText(verb));
}
} // namespace

QByteArray spotText(const PageSpot& spot)
{
    QByteArray text = QByteArray::number(spot.documentX) + ' ' + QByteArray::number(spot.documentY) + ' ' +
                      QByteArray::number(spot.elementX) + ' ' + QByteArray::number(spot.elementY) + ' ';
    if (!spot.hasElement())
        return text + kNoElement;
    if (!spot.elementId.isEmpty())
        text += '#' + spot.elementId;
    for (const int index : spot.path)
        text += '/' + QByteArray::number(index);
    return text;
}

std::optional<PageSpot> spotOf(QByteArrayView text)
{
    std::array<QByteArrayView, 5> fields;
    for (qsizetype field = 0; field < 4; ++field) {
        const qsizetype blank = text.indexOf(' ');
        if (blank < 0)
            return std::nullopt;
        fields[field] = text.first(blank);
        text = text.sliced(blank + 1);
    }
    fields[4] = text;
    const std::optional<int> documentX = numberOf(fields[0], 0, kSpotScale);
    const std::optional<int> documentY = numberOf(fields[1], 0, kSpotScale);
    const std::optional<int> elementX = numberOf(fields[2], -kFarthestFromElement, kFarthestFromElement);
    const std::optional<int> elementY = numberOf(fields[3], -kFarthestFromElement, kFarthestFromElement);
    if (!documentX || !documentY || !elementX || !elementY)
        return std::nullopt;
    PageSpot spot{*documentX, *documentY, *elementX, *elementY, {}, {}};
    if (!readElement(fields[4], spot))
        return std::nullopt;
    return spot;
}

QByteArray placeDatagram(const PageSpot& spot)
{
    return commandBytes(kVerbPlace) + spotText(spot);
}

QByteArray pointerDatagram(const PageSpot& spot)
{
    return commandBytes(kVerbPointer) + spotText(spot);
}

QByteArray pointerOffDatagram()
{
    return commandBytes(kVerbPointerOff);
}

QByteArray zoomDatagram(int percent)
{
    return commandBytes(kVerbZoom) + QByteArray::number(percent);
}

std::optional<ViewCommand> viewCommandOf(QByteArrayView datagram)
{
    static const QByteArray place = commandBytes(kVerbPlace);
    static const QByteArray pointer = commandBytes(kVerbPointer);
    static const QByteArray pointerOff = pointerOffDatagram();
    static const QByteArray zoom = commandBytes(kVerbZoom);
    using Kind = ViewCommand::Kind;
    if (datagram == pointerOff)
        return ViewCommand{Kind::PointerOff, {}, 100};
    if (datagram.startsWith(zoom)) {
        if (const std::optional<int> percent =
                numberOf(datagram.sliced(zoom.size()), kSmallestZoomPercent, kLargestZoomPercent))
            return ViewCommand{Kind::Zoom, {}, *percent};
        return std::nullopt;
    }
    const bool isPlace = datagram.startsWith(place);
    if (!isPlace && !datagram.startsWith(pointer))
        return std::nullopt;
    const std::optional<PageSpot> spot = spotOf(datagram.sliced(isPlace ? place.size() : pointer.size()));
    if (!spot)
        return std::nullopt;
    return ViewCommand{isPlace ? Kind::Place : Kind::Pointer, *spot, 100};
}

int zoomPercentAfter(int percent, int step)
{
    static constexpr std::array kSteps{25, 33, 50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400, 500};
    if (step == 0)
        return 100;
    if (step > 0) {
        const auto above = std::upper_bound(kSteps.begin(), kSteps.end(), percent);
        return above == kSteps.end() ? kLargestZoomPercent : *above;
    }
    const auto below = std::lower_bound(kSteps.begin(), kSteps.end(), percent);
    return below == kSteps.begin() ? kSmallestZoomPercent : *(below - 1);
}

} // namespace qh
