#include "common/singleinstance.h"

#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace qh {

SingleInstance::SingleInstance(const QString& lockFilePath) : m_lock(std::make_unique<QLockFile>(lockFilePath))
{
    // Only a lock whose process has gone is stale; a running program keeps its lock however long.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryAcquire()
{
    return m_lock->isLocked() || m_lock->tryLock(0);
}

QString SingleInstance::userLockFilePath(const QString& lockName)
{
    // Without XDG_RUNTIME_DIR Qt would warn and invent a folder; the temp folder serves as well.
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)).filePath(lockName);
    // The temp folder is shared by every user: the name is this user's own, so that another user's
    // program (or another user's file of that name) is no reason for this one not to start.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation)).filePath(userOwnName(lockName));
}

QString SingleInstance::userOwnName(const QString& lockName)
{
#ifdef Q_OS_UNIX
    const QString user = QString::number(::getuid());
#else
    const QString user = qEnvironmentVariable("USERNAME");
#endif
    const qsizetype dot = lockName.lastIndexOf(u'.');
    return dot > 0 ? lockName.left(dot) + u'-' + user + lockName.mid(dot) : lockName + u'-' + user;
}

} // namespace qh
