#pragma once

#include <QString>

// Texts that both programs show.
namespace qh {

using namespace Qt::StringLiterals;

// The title of the messages both programs show about their files and children.
inline const QString kOwnMessageTitle = u"Quillharbour_Masterからのメッセージ"_s;
inline const QString kSettingsMissingText = u"INIファイルがありません"_s;

} // namespace qh
