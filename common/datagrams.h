#pragma once

#include <QByteArray>
#include <QString>

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

// "Command:" + verb, the verb used unchanged (an empty screen mode gives "Command:" alone).
QString commandText(const QString& verb);

// The call of the child with that number, 1 to 30: two digits, then "Call" ("07Call").
QString callText(int computerNumber);

// The datagram payload of a text: its code page 932 bytes, no terminator and no line end.
QByteArray datagramBytes(const QString& text);

} // namespace qh
