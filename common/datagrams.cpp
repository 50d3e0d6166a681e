#include "common/datagrams.h"

#include "common/cp932text.h"

namespace qh {

QString commandText(const QString& verb)
{
    return kCommandPrefix + verb;
}

QString callText(int computerNumber)
{
    return u"%1"_s.arg(computerNumber, 2, 10, QChar(u'0')) + kCallVerb;
}

QByteArray datagramBytes(const QString& text)
{
    return cp932::encode(text);
}

} // namespace qh
