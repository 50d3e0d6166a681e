#include "packaging/classfolder.h"

#include "common/datafiles.h"
#include "common/keytexts.h"
#include "common/settingsfile.h"
#include "common/urllist.h"
#include "packaging/launchermessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace qh::launcher {

QStringList classFolderTemplates()
{
    return {kSettingsFileName, kDefaultUrlListFileName};
}

ClassFolder prepareClassFolder(const QString& homeFolder, const QString& programFolder)
{
    ClassFolder folder;
    folder.path = QDir(homeFolder).absoluteFilePath(kClassFolderName);
    const QFileInfo existing(folder.path);
    if (existing.isDir())
        return folder;
    if (existing.exists() || existing.isSymLink()) {
        folder.error = notAFolderText(folder.path);
        return folder;
    }

    QStringList sources;
    for (const QString& name : classFolderTemplates()) {
        const QString source = findDataFile(name, programFolder);
        if (source.isEmpty()) {
            folder.error = templateMissingText(name);
            return folder;
        }
        sources.append(source);
    }

    QTemporaryDir staging(QDir(homeFolder).absoluteFilePath(u'.' + kClassFolderName + u"-XXXXXX"_s));
    // QFile::copy makes the copies writable for the user even where the templates are read-only.
    bool filled = staging.isValid();
    for (const QString& source : std::as_const(sources))
        filled = filled && QFile::copy(source, QDir(staging.path()).filePath(QFileInfo(source).fileName()));
    const KeyPairWrite key = filled ? writeTeacherKeyPair(staging.path()) : KeyPairWrite{};
    filled = filled && key.status == KeyPairWrite::Status::Written;
    if (filled && QDir().rename(staging.path(), folder.path)) {
        staging.setAutoRemove(false);
        folder.created = true;
        folder.publicKey = key.publicKey;
        return folder;
    }
    // Another launcher may have made the folder in the meantime; then it is the one to use.
    if (!QFileInfo(folder.path).isDir())
        folder.error = notCreatedText(folder.path);
    return folder;
}

KeyCommand makeKeyCommand(const QString& folder)
{
    const QString path = QDir(folder).absolutePath();
    const KeyPairWrite written = writeTeacherKeyPair(path);
    switch (written.status) {
    case KeyPairWrite::Status::Written:
        return {0,
                QString::fromLatin1(keyFileLine(written.publicKey)) + u'\n' + fingerprintText(written.publicKey) +
                    u'\n',
                {}};
    case KeyPairWrite::Status::Exists:
        return {1, {}, keyPairExistsText(path) + u'\n'};
    case KeyPairWrite::Status::NotWritten:
        break;
    }
    return {1, {}, keyPairNotWrittenText(path, written.error) + u'\n'};
}

QString programPath(const QString& name, const QString& launcherFolder)
{
    if (name.contains(u'/'))
        return name;
    const QString beside = QDir(launcherFolder).filePath(name);
    if (QFileInfo(beside).isExecutable() && QFileInfo(beside).isFile())
        return beside;
    return name;
}

} // namespace qh::launcher
