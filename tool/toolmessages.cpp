#include "tool/toolmessages.h"

#include "common/messagetexts.h"
#include "common/settingsfile.h"
#include "common/teacherkey.h"

namespace qh::tool {

QString slotNumberText(int index)
{
    return u"%1"_s.arg(index + 1, 2, 10, QLatin1Char('0'));
}

QString unstorableNameText(int slotIndex)
{
    return u"コンピュータ番号%1の名前に保存できない文字があります。\n設定は保存されていません。"_s.arg(
        slotNumberText(slotIndex));
}

QString settingsReadOnlyText(const QString& settingsName)
{
    return u"%1 は読み取り専用のため、設定を保存できませんでした。\n%1 は変更されていません。"_s.arg(settingsName);
}

QString tempNotWrittenText(const QString& tempName, const QString& settingsName)
{
    return u"%1 に書き込めないため、設定を保存できませんでした。\n%2 は変更されていません。"_s.arg(tempName,
                                                                                                   settingsName);
}

QString tempNotOwnText(const QString& tempName, const QString& settingsName)
{
    return u"%1 がリンクなど通常のファイルではないため、設定を保存できませんでした。%1 "
           u"を削除してから保存してください。\n"
           u"%2 は変更されていません。"_s.arg(tempName, settingsName);
}

QString tempOtherUsersText(const QString& tempName, const QString& settingsName)
{
    return u"%1 が他のユーザーのファイルのため、設定を保存できませんでした。%1 "
           u"を削除してから保存してください。\n"
           u"%2 は変更されていません。"_s.arg(tempName, settingsName);
}

QString replaceFailedText(const QString& settingsName, const QString& tempName)
{
    return u"%1 を置き換えられないため、設定を保存できませんでした。\n%1 は元のままです。"
           u"新しい設定は %2 に残してあります。"_s.arg(settingsName, tempName);
}

QString sameAddressWarning(const QStringList& otherSlotNumbers)
{
    return u"コンピュータ番号%1と同じアドレスです"_s.arg(otherSlotNumbers.join(u"、"_s));
}

QString portMissingWarning(const QString& caption)
{
    return u"%1がありません（%2の数を入れてください）"_s.arg(caption, usablePortRangeText());
}

QString portUnusableWarning(const QString& caption, const QString& typed)
{
    return u"%1「%2」は使えません（%3の数を入れてください）"_s.arg(caption, typed, usablePortRangeText());
}

QString portReadAsWarning(const QString& caption, const QString& typed, int port)
{
    return u"%1「%2」は%3として読まれます"_s.arg(caption, typed).arg(port);
}

QString samePortsWarning()
{
    return u"%1が%2と同じです"_s.arg(kChildPortCaption, kMasterPortCaption);
}

QString checkingStatusText(qsizetype answered, qsizetype lookups)
{
    return u"コンピュータ名を確認しています（%1/%2）"_s.arg(answered).arg(lookups);
}

QString checkDoneText(qsizetype warnings)
{
    if (warnings == 0)
        return u"確認が終わりました。警告はありません。"_s;
    return u"確認が終わりました。警告は%1件です。"_s.arg(warnings);
}

QString noKeyText()
{
    return u"このフォルダには先生の鍵（%1、%2）がありません。鍵を作ると、プレゼンターは子機に送るものに署名し、"
           u"%2を置いた子機はその署名があるものだけに従います。"_s.arg(kTeacherKeyFileName, kTeacherPublicKeyFileName);
}

QString keyStateText(const QString& state)
{
    return state + u"\n子機の呼び出しバーのツールチップに同じ指紋が出ていれば、その子機はこの鍵に従います。"_s
                   u"\n新しい鍵を作ると、子機の%1を入れ替えるまで子機は従いません。"_s.arg(kTeacherPublicKeyFileName);
}

QString publicKeyMismatchText(const QString& publicKeyFile)
{
    return u"%1がないか、この鍵のものではありません。"_s.arg(publicKeyFile);
}

QString keyMadeText(const QString& fingerprint)
{
    return u"先生の鍵を作りました（%1）。子機の/etc/quillharbour/に%2を置いてください。"_s.arg(
        fingerprint, kTeacherPublicKeyFileName);
}

} // namespace qh::tool
