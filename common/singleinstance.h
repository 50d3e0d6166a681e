#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace qh {

// The previous-instance test: a lock file that the running program holds. The lock names the
// holding process, so the lock of a program that crashed is found stale and taken over.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& lockFilePath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when no other instance runs; the lock is then held until this object goes.
    bool tryAcquire();

    // The lock file of this user by that name: in the runtime folder, else the temp folder, where
    // it carries the user's id ("Quillharbour_Master-1000.lock").
    static QString userLockFilePath(const QString& lockName);
    // The name with the user's id before its suffix.
    static QString userOwnName(const QString& lockName);

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace qh
