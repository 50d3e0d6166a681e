#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// Where the teacher is on the page, as our presenter tells our children (common/datagrams.h has the
// rest of the channel). Each is a command, so that a child that knows only the described datagrams
// ignores it, and the presenter sends them only to children that have reported:
//
//     Command:Place:<spot>     the document's place at the top of the teacher's view
//     Command:Pointer:<spot>   the teacher's pointer is here
//     Command:PointerOff       the pointer is off, or the mouse has left the page
//     Command:Zoom:<percent>   the page's zoom, kSmallestZoomPercent to kLargestZoomPercent
//
// A spot names a point of the page twice: as a share of the whole document, and relative to an
// element, so that a child with another window size finds the same text:
//
//     <documentX> <documentY> <elementX> <elementY> <element>
//
//   documentX, documentY  millionths of the document's width and height, 0 to 1000000
//   elementX, elementY    millionths of the element's width and height from its left and top edge,
//                         -kFarthestFromElement to kFarthestFromElement (a place may lie above
//                         the element it found, in a margin)
//   element               "-" for none; else an optional "#" and the id of the element or of an
//                         ancestor, then "/" and an index among the element children for each step
//                         down from there (or from <body> without an id): "#history/2/0", "/3"
//
// Numbers are decimal without leading zeros or "+"; an id is 1 to kLongestElementId characters of
// letters, digits and "_-.:"; at most kLongestElementPath steps. Every spot has one form only.
namespace qh {

using namespace Qt::StringLiterals;

inline const QString kVerbPlace = u"Place:"_s;
inline const QString kVerbPointer = u"Pointer:"_s;
inline const QString kVerbPointerOff = u"PointerOff"_s;
inline const QString kVerbZoom = u"Zoom:"_s;

inline constexpr int kSpotScale = 1000000;
inline constexpr int kFarthestFromElement = 100 * kSpotScale;
inline constexpr int kLongestElementId = 64;
inline constexpr int kLongestElementPath = 64;
inline constexpr int kLargestElementIndex = 99999;

inline constexpr int kSmallestZoomPercent = 25;
inline constexpr int kLargestZoomPercent = 500;

struct PageSpot {
    int documentX = 0;
    int documentY = 0;
    int elementX = 0;
    int elementY = 0;
    QByteArray elementId; // empty: the path starts at <body>
    QList<int> path;

    // Whether an element is named at all; without one, only the document's shares count.
    bool hasElement() const { return !elementId.isEmpty() || !path.isEmpty(); }
    // The place at the very top left of a document, where every page starts.
    bool isDocumentStart() const { return documentX == 0 && documentY == 0; }
    bool operator==(const PageSpot&) const = default;
};

QByteArray spotText(const PageSpot& spot);
std::optional<PageSpot> spotOf(QByteArrayView text);

QByteArray placeDatagram(const PageSpot& spot);
QByteArray pointerDatagram(const PageSpot& spot);
QByteArray pointerOffDatagram();
QByteArray zoomDatagram(int percent);

// One of the four, read from a datagram's exact bytes.
struct ViewCommand {
    enum class Kind { Place, Pointer, PointerOff, Zoom };
    Kind kind = Kind::Place;
    PageSpot spot{};       // Place, Pointer
    int zoomPercent = 100; // Zoom

    bool operator==(const ViewCommand&) const = default;
};
std::optional<ViewCommand> viewCommandOf(QByteArrayView datagram);

// The zoom one step in (+1) or out (-1) from `percent`, along the steps browsers use (90, 100,
// 110, 125, ...); 0 is back to 100. Stays within the smallest and largest zoom.
int zoomPercentAfter(int percent, int step);

} // namespace qh
