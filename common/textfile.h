#pragma once

#include <QByteArray>
#include <QString>

namespace qh {

// How reading a file by name went. A missing file and one that exists but cannot be read to its
// end are told apart: the programs say something about the first and nothing about the second.
// What is no regular file (a folder, a FIFO, a device) and a file larger than the reader takes
// are not read at all, and the programs say why: a FIFO would hold the program until someone
// writes to it, a device or a huge file would be read without end.
enum class FileStatus { Ok, Missing, Unopenable, NotAFile, TooLarge };

struct FileBytes {
    FileStatus status = FileStatus::Ok;
    QByteArray bytes; // the whole file when the status is Ok, else empty
};

// What the readers of small files (the configuration files, the registry stand-in, a choice kept
// for the next start) take at most: far more than such a file holds.
inline constexpr qint64 kMaxSmallFileBytes = 1024 * 1024;

// Reads the whole file, named relative to the working directory, when it is a regular file of at
// most maxBytes. Opening it never waits, whatever has taken the name.
FileBytes readWholeFile(const QString& fileName, qint64 maxBytes);

} // namespace qh
