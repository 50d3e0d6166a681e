#include "tool/savesettings.h"

#include "common/cp932text.h"
#include "common/messagetexts.h"
#include "common/textfile.h"
#include "tool/toolmessages.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace qh::tool {

namespace {

SaveResult failed(SaveOutcome outcome, const QString& message)
{
    return {outcome, message};
}

bool isReadOnly(const QFileInfo& info)
{
    // Only the permission bits count: a user who marked the file read-only wants it kept, even
    // though the rename that replaces it would be allowed by the folder.
    const QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (info.permissions() & anyWrite) == 0;
}

enum class WriteResult { Written, NotOpened, NotOwnFile, OtherUsersFile, Incomplete };

// Opens the temporary file for writing without following a symbolic link, and only when it is a
// plain file of its own and this user's: a link or a second name planted in the folder must not
// make the save write somewhere else, and a file another user made there would, once renamed,
// make that user the owner of the settings, free to change them. Truncated only once that is certain.
WriteResult openOwnFile(QFile& file)
{
    const QByteArray name = QFile::encodeName(file.fileName());
    // O_NONBLOCK: a FIFO in its place must not hold the save.
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0)
        return errno == ELOOP ? WriteResult::NotOwnFile : WriteResult::NotOpened;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) {
        ::close(fd);
        return WriteResult::NotOwnFile;
    }
    if (status.st_uid != ::geteuid()) {
        ::close(fd);
        return WriteResult::OtherUsersFile;
    }
    if (::ftruncate(fd, 0) != 0 || !file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return WriteResult::NotOpened;
    }
    return WriteResult::Written;
}

// Writes the whole content and makes sure it is on disk before the rename makes it the
// configuration file, so that a crash cannot leave an empty or half-written file behind.
WriteResult writeDurably(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    if (const WriteResult opened = openOwnFile(file); opened != WriteResult::Written)
        return opened;
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0)
        return WriteResult::Incomplete;
    file.close();
    return file.error() == QFileDevice::NoError ? WriteResult::Written : WriteResult::Incomplete;
}

QString tempProblemText(WriteResult written, const QString& tempName, const QString& settingsName)
{
    switch (written) {
    case WriteResult::NotOwnFile:
        return tempNotOwnText(tempName, settingsName);
    case WriteResult::OtherUsersFile:
        return tempOtherUsersText(tempName, settingsName);
    case WriteResult::Written:
    case WriteResult::NotOpened:
    case WriteResult::Incomplete:
        break;
    }
    return tempNotWrittenText(tempName, settingsName);
}

void syncFolderOf(const QString& fileName)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool canStoreComputerName(const QString& name)
{
    const bool hasControl = std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x20; });
    return !hasControl && cp932::canEncode(name);
}

QString entriesProblem(const SettingsEntries& entries)
{
    for (int i = 0; i < kSlotCount; ++i) {
        if (!canStoreComputerName(entries.childSlots[i].name))
            return unstorableNameText(i);
    }
    return {};
}

SaveResult replaceSettingsFile(const QString& tempName, const QString& settingsName)
{
    // rename(2) replaces an existing file in one step: there is no moment without the file.
    if (std::rename(QFile::encodeName(tempName).constData(), QFile::encodeName(settingsName).constData()) != 0) {
        return failed(SaveOutcome::ReplaceFailed, replaceFailedText(settingsName, tempName));
    }
    syncFolderOf(settingsName);
    return {};
}

SaveResult saveSettings(const SettingsEntries& entries, const QString& settingsName, const QString& tempName)
{
    const QFileInfo settingsInfo(settingsName);
    // A file that could be opened but not read to its end must not be rewritten from a part of it.
    const FileBytes old = readWholeFile(settingsName, kMaxSmallFileBytes);
    if (old.status == FileStatus::Missing)
        return failed(SaveOutcome::SettingsMissing, kSaveWithoutSettingsText);
    if (old.status == FileStatus::Unopenable)
        return failed(SaveOutcome::SettingsUnopenable, {});
    if (old.status != FileStatus::Ok)
        return failed(SaveOutcome::SettingsRefused, settingsFileProblemText(old.status));
    const QByteArray& oldBytes = old.bytes;

    const QString problem = entriesProblem(entries);
    if (!problem.isEmpty())
        return failed(SaveOutcome::InvalidEntry, problem);
    if (isReadOnly(settingsInfo)) {
        return failed(SaveOutcome::SettingsReadOnly, settingsReadOnlyText(settingsName));
    }

    const WriteResult written = writeDurably(tempName, rewriteSettingsBytes(oldBytes, entries));
    if (written != WriteResult::Written) {
        // A file we could not open is left as it was; one we began to write is incomplete.
        if (written == WriteResult::Incomplete)
            QFile::remove(tempName);
        return failed(SaveOutcome::TempNotWritten, tempProblemText(written, tempName, settingsName));
    }
    // The new file takes over the old one's permissions, as the old file would have kept them.
    QFile::setPermissions(tempName, settingsInfo.permissions());
    // A configuration file that is a symbolic link is replaced where the link points, so the link stays.
    if (settingsInfo.isSymLink())
        return replaceSettingsFile(tempName, settingsInfo.canonicalFilePath());
    return replaceSettingsFile(tempName, settingsName);
}

} // namespace qh::tool
