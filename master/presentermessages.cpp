#include "master/presentermessages.h"

#include "common/messagetexts.h"
#include "common/signeddatagram.h"
#include "common/teacherkey.h"
#include "common/urllist.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::master {

QString urlListMissingText(const QString& fileName)
{
    return fileName + u"ｗｅｂアドレスリストのファイルがありません。"_s;
}

QString urlListProblemText(const QString& fileName, FileStatus status)
{
    switch (status) {
    case FileStatus::Missing:
        return urlListMissingText(fileName);
    case FileStatus::NotAFile:
        return fileName + u"ｗｅｂアドレスリストのファイルが通常のファイルではないため読めません。"_s;
    case FileStatus::TooLarge:
        return fileName + u"ｗｅｂアドレスリストのファイルが大きすぎるため読めません（%1MBまで）。"_s.arg(
                              kMaxUrlListFileBytes / (1024 * 1024));
    case FileStatus::Ok:
    case FileStatus::Unopenable:
        break;
    }
    return {};
}

QString computerNotFoundText(const QString& computerName)
{
    return u"コンピュータ名"_s + computerName + u"がみつかりません"_s;
}

QString urlListTruncatedText(const QString& fileName, int keptEntries)
{
    return fileName + u"ｗｅｂアドレスリストの項目が多すぎます。最初の%1項目だけを使います。"_s.arg(keptEntries);
}

QString masterPortUnusableText(std::int16_t port)
{
    // Our children take the teacher's datagrams only from the master port.
    return u"ポート%1で受信できません（使用中か、INIファイルの設定が正しくありません）。"
           u"子機からの呼び出しは受け取れず、このプログラムの子機にはページも届きません。"_s.arg(port);
}

QString keyNotUsedText(const QString& problem)
{
    return problem + u"\n子機には署名せずに送ります。先生の鍵を持つ子機は従いません。"_s;
}

QString childAsksForKeyText(int childNumber)
{
    return u"子機%1は先生の鍵による署名を求めていますが、このフォルダに先生の鍵（%2）がありません。"
           u"先生の鍵を持つ子機はページに従いません。"_s.arg(childNumber, 2, 10, QChar(u'0'))
               .arg(kTeacherKeyFileName);
}

QString addressTooLongToSignText(qsizetype addressBytes)
{
    return u"このページのアドレスは長すぎて（%1バイト、署名できるのは%2バイトまで）、先生の鍵を持つ子機には送れません。"
           u"その子機は前のページのままです。"_s.arg(addressBytes)
               .arg(kLargestSignedInnerBytes);
}

QString childPortUnusableText(std::int16_t port)
{
    return u"子機のポート%1には送れません（INIファイルの設定が正しくありません）。"
           u"子機にはページも指示も届きません。"_s.arg(port);
}

QString pageDialogTitle(const QUrl& origin)
{
    const QString page = origin.host().isEmpty() ? origin.toDisplayString() : origin.host();
    return u"ページ %1 からのメッセージ"_s.arg(page);
}

QString downloadRefusedText(const QUrl& address)
{
    return u"このプログラムではファイルのダウンロードはできません。\n%1 はダウンロードしませんでした。"_s.arg(
        address.toDisplayString());
}

QString followStateText(FollowState state)
{
    switch (state) {
    case FollowState::Following:
        return u"追従中"_s;
    case FollowState::OtherPage:
        return u"別のページ"_s;
    case FollowState::Silent:
        return u"応答なし"_s;
    case FollowState::SwitchedOff:
        return u"停止中"_s;
    case FollowState::Unknown:
        break;
    }
    return u"不明"_s;
}

QString slotTitle(int slotNumber, const QString& computerName)
{
    return u"%1 %2"_s.arg(slotNumber, 2, 10, QChar(u'0')).arg(computerName);
}

QString followingToolTip(int slotNumber, const QString& computerName, const SlotFollowing& following)
{
    QString text = slotTitle(slotNumber, computerName) + u": "_s + followStateText(following.state);
    if (following.heard) {
        const QString reported = following.lastWasHello ? u"起動しました"_s : readableAddress(following.address);
        // One pass over the pattern: a reported "%2" stays as it is.
        text += u"\n%1（%2秒前）"_s.arg(reported, QString::number(following.ageMs / 1000));
    }
    return text;
}

QString attentionItemText(std::optional<int> seconds)
{
    return seconds ? u"注目画面（%1分）"_s.arg(*seconds / 60) : u"注目画面（解除まで）"_s;
}

QString attentionStatusText(std::optional<qint64> remainingMs)
{
    return remainingMs ? u"注目中 あと"_s + minutesSecondsText(*remainingMs) : u"注目中（解除まで）"_s;
}

QString attentionMenuTitle(std::optional<qint64> remainingMs)
{
    return remainingMs ? attentionStatusText(remainingMs) : u"注目中"_s;
}

QString pictureAgeText(qint64 ageMs)
{
    return u"%1秒前"_s.arg(std::max<qint64>(ageMs, 0) / 1000);
}

} // namespace qh::master
