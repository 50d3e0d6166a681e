#pragma once

#include <QByteArray>
#include <QString>

// The texts the presenter sends to the children. A command is "Command:" directly followed by its
// verb; a page is its bare address. On the wire each text is exactly its code page 932 bytes.
namespace qh::master {

inline const QString kCommandPrefix = QStringLiteral("Command:");
inline const QString kVerbVisibleTrue = QStringLiteral("VisibleTrue");
inline const QString kVerbVisibleFalse = QStringLiteral("VisibleFalse");

// "Command:" + verb, the verb used unchanged (an empty screen mode gives "Command:" alone).
QString commandText(const QString& verb);

// The datagram payload of a text: its code page 932 bytes, no terminator and no line end.
QByteArray datagramBytes(const QString& text);

} // namespace qh::master
