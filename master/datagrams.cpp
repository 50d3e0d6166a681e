#include "datagrams.h"

#include "cp932text.h"

namespace qh::master {

QString commandText(const QString& verb)
{
    return kCommandPrefix + verb;
}

QByteArray datagramBytes(const QString& text)
{
    return cp932::encode(text);
}

} // namespace qh::master
