#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// What is wrong with a URL list entry before any page is loaded, by the same rules the presenter,
// the children and the list file apply.
namespace qh::lesson {

// Whether an entry's datagram (datagramBytes()) is too long to carry it to the children, also to
// those that get it signed with the teacher's key.
bool isTooLongForChildren(QByteArrayView datagram);

// Whether the presenter's browser loads the entry; it shows a blank page for one it does not.
bool presenterLoads(const QString& entry);

// The entry's warnings, none for an empty entry (a blank page on purpose): the list file cannot
// hold it, the presenter's browser does not open it, or a child would not open it.
QStringList entryWarnings(const QString& entry);

} // namespace qh::lesson
