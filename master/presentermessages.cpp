#include "presentermessages.h"

namespace qh::master {

QString urlListMissingText(const QString& fileName)
{
    return fileName + QStringLiteral("ｗｅｂアドレスリストのファイルがありません。");
}

QString computerNotFoundText(const QString& computerName)
{
    return QStringLiteral("コンピュータ名") + computerName + QStringLiteral("がみつかりません");
}

QString urlListTruncatedText(const QString& fileName, int keptEntries)
{
    return fileName +
           QStringLiteral("ｗｅｂアドレスリストの項目が多すぎます。最初の%1項目だけを使います。").arg(keptEntries);
}

QString masterPortUnusableText(std::int16_t port)
{
    return QStringLiteral("ポート%1で受信できません（使用中か、INIファイルの設定が正しくありません）。"
                          "子機からの呼び出しは受け取れませんが、ページは送られます。")
        .arg(port);
}

QString childPortUnusableText(std::int16_t port)
{
    return QStringLiteral("子機のポート%1には送れません（INIファイルの設定が正しくありません）。"
                          "子機にはページも指示も届きません。")
        .arg(port);
}

} // namespace qh::master
