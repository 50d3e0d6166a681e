#include "lesson/entrywarnings.h"

#include "common/browseraddress.h"
#include "common/childaction.h"
#include "common/datagrams.h"
#include "common/signeddatagram.h"
#include "common/urllist.h"
#include "lesson/lessonmessages.h"

namespace qh::lesson {

namespace {
// Which local files a child shows is set on each student computer (LocalFolders), so a file
// address is refused here only for what no folder can allow: a computer's name, a relative path.
bool childRefuses(const QByteArray& datagram)
{
    static const child::PageRule kNoLocalFolders;
    const child::ChildAction action = child::childActionOf(datagram, kNoLocalFolders);
    switch (action.refusal) {
    case child::Refusal::FileMissing:
    case child::Refusal::FileOutside:
        return false;
    default:
        return action.kind != child::ChildAction::Kind::Open;
    }
}
} // namespace

bool isTooLongForChildren(QByteArrayView datagram)
{
    // A child that holds the teacher's key needs room in the datagram for the signature too.
    return datagram.size() > kLargestSignedInnerBytes;
}

bool presenterLoads(const QString& entry)
{
    return openableUrl(entry).has_value();
}

QStringList entryWarnings(const QString& entry)
{
    if (entry.isEmpty())
        return {};
    QStringList warnings;
    const UrlListWrite write = writeUrlList({entry});
    if (write.refusal != UrlListRefusal::None)
        warnings.append(unsavableText(write));
    if (!presenterLoads(entry))
        warnings.append(kPresenterRefusesText);
    // The presenter sends the entry as it is to the children, which apply their own rules to it.
    const QByteArray datagram = datagramBytes(entry);
    if (isTooLongForChildren(datagram))
        warnings.append(tooLongForChildrenText(datagram.size()));
    else if (childRefuses(datagram))
        warnings.append(kChildRefusesText);
    return warnings;
}

} // namespace qh::lesson
