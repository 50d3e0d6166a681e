#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The datagrams between the presenter and the children. The presenter sends commands, "Command:"
// directly followed by a verb, and pages, a bare address. The verbs are VisibleTrue, VisibleFalse
// and a screen mode as the configuration file writes it (kFullScreenMode, kWindowScreenMode). A
// child calls the presenter with its two-digit number directly followed by "Call" ("07Call"). On
// the wire each text is exactly its code page 932 bytes: no terminator, no line end.
namespace qh {

using namespace Qt::StringLiterals;

inline const QString kCommandPrefix = u"Command:"_s;
inline const QString kVerbVisibleTrue = u"VisibleTrue"_s;
inline const QString kVerbVisibleFalse = u"VisibleFalse"_s;
inline const QString kCallVerb = u"Call"_s;

// The largest datagram payload that UDP over IPv4 carries; a longer address cannot reach a child.
inline constexpr qsizetype kLargestDatagramBytes = 65507;

// "Command:" + verb, the verb used unchanged (an empty screen mode gives "Command:" alone).
QString commandText(const QString& verb);

// The call of the child with that number, 1 to 30: two digits, then "Call" ("07Call").
QString callText(int computerNumber);

// The datagram payload of a text: its code page 932 bytes, no terminator and no line end.
QByteArray datagramBytes(const QString& text);

// Beyond those, this system's own presenter and child speak a little more, in the same form. A
// child says that it has started ("07Hello") and which page it shows ("07Showing:" followed by the
// bytes of the address it last received, unchanged); the presenter confirms a call it has listed
// ("Command:CallReceived"). A presenter that knows only the calls ignores both reports (their verb
// is not "Call"), and the presenter sends the confirmation only to children that have reported, so
// a child that knows only the commands above never receives it.
inline const QString kHelloVerb = u"Hello"_s;
inline const QString kShowingVerb = u"Showing:"_s;
inline const QString kVerbCallReceived = u"CallReceived"_s;

// A child that holds the teacher's public key asks for signed datagrams in its Hello: "07Hello:"
// and a fresh random challenge in hex, then, when it follows a run of the presenter already (it
// says Hello again to check that the presenter still knows it), ":" and that run's id in hex:
//     07Hello:0123456789abcdef0123456789abcdef
//     07Hello:0123456789abcdef0123456789abcdef:0011223344556677
// The presenter answers with datagrams signed for that challenge (common/signeddatagram.h). A
// presenter that knows only the calls ignores these Hellos like the plain one.
inline constexpr qsizetype kHelloChallengeBytes = 16;
inline constexpr qsizetype kRunIdBytes = 8;
// The presenter's answer to a Hello when there is nothing else to send: it tells the child which
// run of the presenter signs for it. A child that does not know it ignores it as any other command.
inline const QString kVerbWelcome = u"Welcome"_s;

// "07Hello", or with a challenge (kHelloChallengeBytes) and the run followed (kRunIdBytes, or none).
QByteArray helloDatagram(int computerNumber, QByteArrayView challenge = {}, QByteArrayView run = {});

// A page address longer than this does not fit whole in a Showing report ("07Showing:" first): the
// child reports its first bytes, and a report of that length names every page that starts so.
inline constexpr qsizetype kLongestReportedAddressBytes = kLargestDatagramBytes - 10;

// The address shortened to kLongestReportedAddressBytes when it is longer, so that the report goes out.
QByteArray showingDatagram(int computerNumber, QByteArrayView address);
// Whether a Showing report's address names the page: the same bytes, or the page shortened to fit.
bool reportNamesPage(QByteArrayView reported, QByteArrayView page);

// A child's report as the presenter reads it: exactly two digits 01 to 30, then "Hello" and nothing
// more (or a challenge and a run, as above), or "Showing:" and the address's bytes (possibly none).
struct ChildReport {
    enum class Kind { Hello, Showing };
    Kind kind = Kind::Hello;
    int computerNumber = 0; // 1..30
    QByteArray address;     // for Showing: the bytes after "Showing:"
    QByteArray challenge;   // for a Hello that asks for signed datagrams: kHelloChallengeBytes
    QByteArray run;         // for such a Hello: the run the child follows (kRunIdBytes), or empty

    bool operator==(const ChildReport&) const = default;
};
std::optional<ChildReport> childReportOf(QByteArrayView datagram);

// The bytes that exactly 2 * `bytes` lower-case hex digits stand for; none for any other text.
std::optional<QByteArray> lowerHexBytes(QByteArrayView text, qsizetype bytes);

} // namespace qh
