#pragma once

#include <QString>

#include <cstdint>

// The texts of the presenter's message boxes: the second-instance warning, the missing URL list and
// the computer that is not found, and the messages about a file or port it cannot use.
namespace qh::master {

using namespace Qt::StringLiterals;

inline const QString kSecondInstanceText = u"すでにこのプログラムは起動しています"_s;
inline const QString kSecondInstanceTitle = u"警告"_s;
// The lock file that tells a second presenter of this user that one runs.
inline const QString kPresenterLockName = u"Quillharbour_Master.lock"_s;

QString urlListMissingText(const QString& fileName);
QString computerNotFoundText(const QString& computerName);

QString urlListTruncatedText(const QString& fileName, int keptEntries);
QString masterPortUnusableText(std::int16_t port);
QString childPortUnusableText(std::int16_t port);

} // namespace qh::master
