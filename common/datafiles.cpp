#include "datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace qh {

QStringList dataFolders(const QString& programFolder)
{
    const QDir program(programFolder);
    return {program.absolutePath(), QDir::cleanPath(program.absoluteFilePath(QStringLiteral("../share/quillharbour")))};
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
