#include "common/textfile.h"

#include <QFile>
#include <QFileInfo>

namespace qh {

FileBytes readWholeFile(const QString& fileName)
{
    if (!QFileInfo::exists(fileName))
        return {FileStatus::Missing, {}};
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {FileStatus::Unopenable, {}};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {FileStatus::Unopenable, {}};
    return {FileStatus::Ok, std::move(bytes)};
}

} // namespace qh
