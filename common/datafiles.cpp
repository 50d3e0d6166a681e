#include "common/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace qh {

QStringList dataFolders(const QString& programFolder)
{
    const QDir program(programFolder);
    return {program.absolutePath(), QDir::cleanPath(program.absoluteFilePath(u"../share/quillharbour"_s))};
}

QString findDataFile(const QString& fileName, const QString& programFolder)
{
    for (const QString& folder : dataFolders(programFolder)) {
        const QFileInfo candidate(QDir(folder).filePath(fileName));
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return {};
}

QString findDataFile(const QString& fileName)
{
    return findDataFile(fileName, QCoreApplication::applicationDirPath());
}

} // namespace qh
