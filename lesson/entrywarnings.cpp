#include "lesson/entrywarnings.h"

#include "child/childaction.h"
#include "common/browseraddress.h"
#include "common/datagrams.h"
#include "common/urllist.h"
#include "lesson/lessonmessages.h"

namespace qh::lesson {

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
    if (datagram.size() > kLargestDatagramBytes)
        warnings.append(tooLongForChildrenText(datagram.size()));
    else if (child::childActionOf(datagram).kind != child::ChildAction::Kind::Open)
        warnings.append(kChildRefusesText);
    return warnings;
}

} // namespace qh::lesson
