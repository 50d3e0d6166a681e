#pragma once

#include "common/settingsfile.h"

#include <QString>

// Texts that both programs show.
namespace qh {

using namespace Qt::StringLiterals;

// The title of the messages both programs show about their files and children.
inline const QString kOwnMessageTitle = u"Quillharbour_Masterからのメッセージ"_s;
inline const QString kSettingsMissingText = u"INIファイルがありません"_s;

// The ports the presenter can bind and send to (isUsablePort), as the messages name them: "1～32767".
inline QString usablePortRangeText()
{
    return u"%1～%2"_s.arg(kLowestUsablePort).arg(kHighestUsablePort);
}

} // namespace qh
