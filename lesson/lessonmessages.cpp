#include "lesson/lessonmessages.h"

#include "common/datagrams.h"
#include "common/signeddatagram.h"

namespace qh::lesson {

QString lessonCaption(const QString& fileName)
{
    return u"URLリストの編集 - "_s + fileName;
}

QString httpStatusText(int status)
{
    return u"HTTP %1（ページを読み込めません）"_s.arg(status);
}

QString networkErrorText(const QString& error)
{
    // The browser's reasons that a teacher meets most, in words; the code stays for the rest.
    static const QList<std::pair<QString, QString>> known = {
        {u"net::ERR_NAME_NOT_RESOLVED"_s, u"サーバーの名前が見つかりません"_s},
        {u"net::ERR_CONNECTION_REFUSED"_s, u"サーバーに接続を断られました"_s},
        {u"net::ERR_CONNECTION_TIMED_OUT"_s, u"サーバーが応答しません"_s},
        {u"net::ERR_INTERNET_DISCONNECTED"_s, u"ネットワークにつながっていません"_s},
        {u"net::ERR_FILE_NOT_FOUND"_s, u"ファイルがありません"_s},
        {u"net::ERR_ABORTED"_s, u"読み込みが中断されました"_s},
        {u"net::ERR_UNSAFE_PORT"_s, u"ブラウザが使わないポートです"_s},
    };
    for (const auto& [code, words] : known) {
        if (error == code)
            return u"%1（%2）"_s.arg(words, code);
    }
    if (error.startsWith(u"net::ERR_CERT"_s))
        return u"サーバーの証明書に問題があります（%1）"_s.arg(error);
    return u"読み込めません（%1）"_s.arg(error);
}

QString timedOutText(int seconds)
{
    return u"%1秒たっても読み込みが終わりません"_s.arg(seconds);
}

QString tooLongForChildrenText(qsizetype bytes)
{
    return u"アドレスが長すぎて子機に送れません（%1バイト）"_s.arg(bytes);
}

QString tooLongRefusedText(qsizetype count)
{
    return u"%1件のアドレスは長すぎて子機に送れないため追加しませんでした（%2バイトまで）。"_s.arg(count).arg(
        kLargestSignedInnerBytes);
}

QString refusalText(const UrlListWrite& write)
{
    switch (write.refusal) {
    case UrlListRefusal::None:
        break;
    case UrlListRefusal::Unencodable:
        return u"URLリストのファイルに書けない文字「%1」があります"_s.arg(write.character);
    case UrlListRefusal::LineBreak:
        return u"改行があります"_s;
    case UrlListRefusal::Control:
        return u"制御文字（U+%1）があります"_s
            .arg(write.character.isEmpty() ? 0 : write.character.front().unicode(), 4, 16, QLatin1Char('0'))
            .toUpper();
    case UrlListRefusal::QuoteInQuotes:
        return u"カンマ（または前後の空白）とダブルクォーテーション「\"」が両方あります"_s;
    case UrlListRefusal::LeadingQuote:
        return u"ダブルクォーテーション「\"」で始まっています"_s;
    case UrlListRefusal::TooMany:
        return u"URLリストに入れられるのは%1件までです"_s.arg(kMaxUrlListEntries);
    }
    return {};
}

QString unsavableText(const UrlListWrite& write)
{
    return refusalText(write) + u"（保存できません）"_s;
}

QString entryCountText(qsizetype entries)
{
    return u"%1件"_s.arg(entries);
}

QString checkProgressText(int done, int total)
{
    return u"確認しています（%1/%2）"_s.arg(done).arg(total);
}

QString checkFinishedText(int problems)
{
    if (problems == 0)
        return u"確認が終わりました。問題はありません"_s;
    return u"確認が終わりました。問題のある行が%1行あります"_s.arg(problems);
}

QString saveRefusedText(const QString& fileName, const UrlListWrite& write)
{
    const QString what = write.refusal == UrlListRefusal::TooMany
                             ? refusalText(write)
                             : u"番号%1の項目に、%2。"_s.arg(write.entryIndex).arg(refusalText(write));
    return u"%1\n%2 は保存されていません。"_s.arg(what, fileName);
}

QString saveReadOnlyText(const QString& fileName)
{
    return u"%1 は読み取り専用のため、保存できませんでした。\n%1 は変更されていません。"_s.arg(fileName);
}

QString saveNotWrittenText(const QString& fileName, const QString& error)
{
    const QString reason = error.isEmpty() ? QString() : u"（%1）"_s.arg(error);
    return u"%1 を保存できませんでした%2。\n%1 は変更されていません。"_s.arg(fileName, reason);
}

QString openUnreadableText(const QString& fileName)
{
    return u"%1 を読めません。"_s.arg(fileName);
}

QString openNotAFileText(const QString& fileName)
{
    return u"%1 は通常のファイルではないため開けません。"_s.arg(fileName);
}

QString openTooLargeText(const QString& fileName, qint64 limitBytes)
{
    return u"%1 は大きすぎるため開けません（%2MBまで）。"_s.arg(fileName).arg(limitBytes / (1024 * 1024));
}

QString openTruncatedText(const QString& fileName, int keptEntries)
{
    return u"%1 には%2件を超える項目があります。提示で使われる最初の%2件だけを表示します。\n"
           u"保存するときは、それより後の項目を捨ててよいか確かめます。"_s.arg(fileName)
               .arg(keptEntries);
}

QString truncatedSaveQuestionText(const QString& fileName, int keptEntries)
{
    return u"%1 の最初の%2件より後の項目は保存されず、なくなります。保存しますか？"_s.arg(fileName).arg(keptEntries);
}

QString openReadAsUtf8Text(const QString& fileName)
{
    return u"%1 はシフトJISではなくUTF-8で書かれていたため、UTF-8として読みました。\n"
           u"このままでは提示で文字化けします。保存するとシフトJISで書き直します。"_s.arg(fileName);
}

QString openUndecodableText(const QString& fileName)
{
    return u"%1 にはシフトJISとして読めない部分があります。その部分は「␚」か「�」で表示しています。\n"
           u"その項目を直すまで保存できません。"_s.arg(fileName);
}

QString visibleText(const QString& text)
{
    // Control characters in their visible stand-ins (U+2400 onward), so that a row shows them.
    QString shown = text;
    for (QChar& c : shown) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    }
    return shown;
}

QString unsavedChangesText(const QString& fileName)
{
    return u"%1 への変更は保存されていません。保存しますか？"_s.arg(fileName);
}

QString listFullText()
{
    return u"URLリストに入れられるのは%1件までです。入りきらない分は追加しませんでした。"_s.arg(kMaxUrlListEntries);
}

QString notALinkText(const QString& fileName)
{
    return u"%1 はリンクのファイルではありません。"_s.arg(fileName);
}

QString fileTooLargeText(const QString& fileName)
{
    return u"%1 は大きすぎるため読み込めません。"_s.arg(fileName);
}

QString noLinksText(const QString& fileName)
{
    return u"%1 にはリンクがありません。"_s.arg(fileName);
}

QString folderDroppedText(const QString& folderName)
{
    return u"%1 はフォルダのため追加できません。"_s.arg(folderName);
}

QString unreadableDropText(const QString& fileName)
{
    return u"%1 を読めません。"_s.arg(fileName);
}

} // namespace qh::lesson
