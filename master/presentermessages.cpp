#include "master/presentermessages.h"

using namespace Qt::StringLiterals;

namespace qh::master {

QString urlListMissingText(const QString& fileName)
{
    return fileName + u"ｗｅｂアドレスリストのファイルがありません。"_s;
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
    return u"ポート%1で受信できません（使用中か、INIファイルの設定が正しくありません）。"
           u"子機からの呼び出しは受け取れませんが、ページは送られます。"_s.arg(port);
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

} // namespace qh::master
