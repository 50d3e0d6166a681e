#pragma once

#include "common/settingsfile.h"
#include "common/textfile.h"

#include <QString>

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

} // namespace qh
