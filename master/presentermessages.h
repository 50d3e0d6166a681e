#pragma once

#include <QString>

#include <cstdint>

// The texts of the presenter's message boxes. The first four are the program's long-standing
// messages; the others tell the user about a file or port the presenter cannot use.
namespace qh::master {

inline const QString kSecondInstanceText = QStringLiteral("すでにこのプログラムは起動しています");
inline const QString kSecondInstanceTitle = QStringLiteral("警告");
inline const QString kSettingsMissingText = QStringLiteral("INIファイルがありません");

QString urlListMissingText(const QString& fileName);
QString computerNotFoundText(const QString& computerName);

QString urlListTruncatedText(const QString& fileName, int keptEntries);
QString masterPortUnusableText(std::int16_t port);
QString childPortUnusableText(std::int16_t port);

} // namespace qh::master
