#pragma once

#include <QByteArray>
#include <QString>

namespace qh {

// How reading a file by name went. A missing file and one that exists but cannot be read to its
// end are told apart: the programs say something about the first and nothing about the second.
enum class FileStatus { Ok, Missing, Unopenable };

struct FileBytes {
    FileStatus status = FileStatus::Ok;
    QByteArray bytes; // the whole file when the status is Ok, else empty
};

// Reads the whole file, named relative to the working directory. A folder of that name, or a file
// that opens but fails on the way, is Unopenable.
FileBytes readWholeFile(const QString& fileName);

} // namespace qh
