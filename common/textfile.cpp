#include "common/textfile.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qh {

FileBytes readWholeFile(const QString& fileName, qint64 maxBytes)
{
    if (!QFileInfo::exists(fileName))
        return {FileStatus::Missing, {}};
    // O_NONBLOCK: a FIFO put in the file's place opens at once instead of waiting for a writer; the
    // type is then told from the open file itself, so nothing can be swapped in between.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {FileStatus::Unopenable, {}};
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        ::close(fd);
        return {FileStatus::Unopenable, {}};
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return {FileStatus::NotAFile, {}};
    }
    if (status.st_size > maxBytes) {
        ::close(fd);
        return {FileStatus::TooLarge, {}};
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {FileStatus::Unopenable, {}};
    }
    // A file that grows while it is read is still taken only up to the cap.
    QByteArray bytes;
    bytes.reserve(qsizetype(status.st_size));
    char chunk[64 * 1024];
    qint64 read = 0;
    while ((read = file.read(chunk, sizeof chunk)) > 0) {
        if (bytes.size() + read > maxBytes)
            return {FileStatus::TooLarge, {}};
        bytes.append(chunk, qsizetype(read));
    }
    if (read < 0 || file.error() != QFileDevice::NoError)
        return {FileStatus::Unopenable, {}};
    return {FileStatus::Ok, std::move(bytes)};
}

} // namespace qh
