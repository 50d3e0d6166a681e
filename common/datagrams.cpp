#include "common/datagrams.h"

#include "common/cp932text.h"

namespace qh {

QString commandText(const QString& verb)
{
    return kCommandPrefix + verb;
}

QByteArray datagramBytes(const QString& text)
{
    return cp932::encode(text);
}

} // namespace qh
