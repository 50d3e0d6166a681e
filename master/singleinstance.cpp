#include "singleinstance.h"

#include <QDir>
#include <QStandardPaths>

namespace qh::master {

SingleInstance::SingleInstance(const QString& lockFilePath)
    : m_lock(std::make_unique<QLockFile>(lockFilePath.isEmpty() ? defaultLockFilePath() : lockFilePath))
{
    // Only a lock whose process has gone is stale; a running presenter keeps its lock however long.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryAcquire()
{
    return m_lock->isLocked() || m_lock->tryLock(0);
}

QString SingleInstance::defaultLockFilePath()
{
    // Without XDG_RUNTIME_DIR Qt would warn and invent a folder; the temp folder serves as well.
    const QStandardPaths::StandardLocation location =
        qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") ? QStandardPaths::RuntimeLocation : QStandardPaths::TempLocation;
    return QDir(QStandardPaths::writableLocation(location)).filePath(QStringLiteral("Quillharbour_Master.lock"));
}

} // namespace qh::master
