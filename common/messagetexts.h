#pragma once

#include "common/settingsfile.h"
#include "common/textfile.h"

#include <QString>

#include <algorithm>

// Texts that both programs show.
namespace qh {

using namespace Qt::StringLiterals;

// The title of the messages both programs show about their files and children.
inline const QString kOwnMessageTitle = u"Quillharbour_Masterからのメッセージ"_s;
inline const QString kSettingsMissingText = u"INIファイルがありません"_s;

// Why the configuration file was not read: kSettingsMissingText, no regular file or too large; empty
// for Ok and for a file that exists but cannot be opened, of which nothing is said.
inline QString settingsFileProblemText(FileStatus status)
{
    switch (status) {
    case FileStatus::Missing:
        return kSettingsMissingText;
    case FileStatus::NotAFile:
        return u"INIファイルが通常のファイルではないため読めません"_s;
    case FileStatus::TooLarge:
        return u"INIファイルが大きすぎるため読めません（%1MBまで）"_s.arg(kMaxSmallFileBytes / (1024 * 1024));
    case FileStatus::Ok:
    case FileStatus::Unopenable:
        break;
    }
    return {};
}

// The ports the presenter can bind and send to (isUsablePort), as the messages name them: "1～32767".
inline QString usablePortRangeText()
{
    return u"%1～%2"_s.arg(kLowestUsablePort).arg(kHighestUsablePort);
}

// A time left as the presenter and the child's attention screen count it down: "1:05", whole
// seconds rounded up, so that 0:00 shows only when the time is over.
inline QString minutesSecondsText(qint64 remainingMs)
{
    const qint64 seconds = (std::max<qint64>(remainingMs, 0) + 999) / 1000;
    return u"%1:%2"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

} // namespace qh
