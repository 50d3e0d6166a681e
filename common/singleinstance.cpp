#include "common/singleinstance.h"

#include <QDir>
#include <QStandardPaths>

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
    const QStandardPaths::StandardLocation location =
        qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") ? QStandardPaths::RuntimeLocation : QStandardPaths::TempLocation;
    return QDir(QStandardPaths::writableLocation(location)).filePath(lockName);
}

} // namespace qh
