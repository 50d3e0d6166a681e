#include "help/helpfile.h"

#include "common/cp932text.h"
#include "common/datafiles.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace qh::help {

QString findHelpFile(const QString& name, const QString& programFolder)
{
    if (name.isEmpty())
        return {};
    if (QFileInfo(name).isFile())
        return QFileInfo(name).absoluteFilePath();
    if (QFileInfo(name).isRelative())
        return findDataFile(name, programFolder);
    return {};
}

QString helpHtml(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return cp932::decode(bytes);
}

} // namespace qh::help
