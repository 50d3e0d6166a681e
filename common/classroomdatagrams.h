#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// What our presenter and child say to each other beyond the pages, the commands and the reports
// (common/datagrams.h), for the class view and for attention, in the same form: code page 932 text
// (ASCII here), no terminator. The presenter sends these commands only to children that have
// reported, so a child that knows only the described commands never receives one (and would
// ignore it: it starts with "Command:").
//
//   presenter to child                 child to presenter (master port)
//   Command:Picture:<token>            NNPicture:<token>:Shown:<JPEG bytes>
//                                      NNPicture:<token>:Hidden
//   Command:AttentionOn:<seconds>      (cover every screen for that many seconds more)
//   Command:AttentionOn                (cover every screen until lifted)
//   Command:AttentionOff
//
// The token is 8 lower-case hexadecimal digits of the presenter's choosing, sent back unchanged, so
// that the presenter takes a picture only as the answer to its own last requests. A picture is a
// JPEG of at most kLargestPictureSide pixels each way, of the child's page window alone; the whole
// datagram is at most kLargestPictureDatagramBytes.
namespace qh {

inline constexpr qsizetype kLargestPictureDatagramBytes = 16 * 1024;
inline constexpr int kLargestPictureSide = 200;
inline constexpr qsizetype kPictureTokenLength = 8;
// The longest attention a child takes; the teacher's choices are 1, 2 and 5 minutes.
inline constexpr int kLongestAttentionSeconds = 3600;
// While attention is on, the presenter tells each child so this often; a child that has heard
// nothing of it for kAttentionAbandonedMs uncovers by itself: the teacher's computer has gone.
inline constexpr int kAttentionRefreshMs = 5000;
inline constexpr int kAttentionAbandonedMs = 30000;

struct ClassroomCommand {
    enum class Kind { Picture, AttentionOn, AttentionOff };
    Kind kind = Kind::Picture;
    QByteArray token;           // for Picture
    std::optional<int> seconds; // for AttentionOn: the time left, none until lifted

    bool operator==(const ClassroomCommand&) const = default;
};

// The datagram of a command; a Picture command's token must be a valid one (isPictureToken).
QByteArray classroomCommandDatagram(const ClassroomCommand& command);
// The command a datagram is, when it is exactly one of the forms above: seconds 1 to
// kLongestAttentionSeconds in decimal without sign or leading zero, a token of 8 lower-case
// hexadecimal digits.
std::optional<ClassroomCommand> classroomCommandOf(QByteArrayView datagram);

bool isPictureToken(QByteArrayView token);

// A child's answer to a picture request.
struct PictureReport {
    int computerNumber = 0; // 1..30
    QByteArray token;
    bool hidden = false; // the page window is not shown: no picture
    QByteArray image;    // for a shown window: the JPEG bytes, not yet checked

    bool operator==(const PictureReport&) const = default;
};

// The answer's datagram; empty when it would be longer than kLargestPictureDatagramBytes.
QByteArray pictureDatagram(const PictureReport& report);
// Whether the datagram is meant as a picture: two digits, then "Picture:". Cheap, so that the
// presenter sets pictures apart from calls and reports without decoding them.
bool looksLikePicture(QByteArrayView datagram);
// The answer a datagram is, when it has one of the two forms above, a number 01 to 30, a valid
// token and at most kLargestPictureDatagramBytes. The image bytes are not looked at.
std::optional<PictureReport> pictureReportOf(QByteArrayView datagram);

} // namespace qh
