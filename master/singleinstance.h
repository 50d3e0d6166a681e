#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace qh::master {

// The previous-instance test: a lock file that the running presenter holds. The lock names the
// holding process, so the lock of a presenter that crashed is found stale and taken over.
class SingleInstance
{
public:
    // An empty path means the lock file of this user: in the runtime folder, else the temp folder.
    explicit SingleInstance(const QString& lockFilePath = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when no other presenter runs; the lock is then held until this object goes.
    bool tryAcquire();

    static QString defaultLockFilePath();

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace qh::master
