#include "child/childmessages.h"

#include "common/messagetexts.h"

#include <QStringList>

namespace qh::child {

namespace {
QString valueText(const QString& where, const QString& name, const QString& value, const QString& problem)
{
    return where + u"の"_s + name + u"「"_s + value + u"」"_s + problem;
}
} // namespace

QString childCaption(int number)
{
    return kChildTitle + u" %1"_s.arg(number, 2, 10, QChar(u'0'));
}

QString attentionTimeLeftText(qint64 remainingMs)
{
    return u"あと "_s + minutesSecondsText(remainingMs);
}

QString callButtonText(CallState::Reading reading)
{
    switch (reading) {
    case CallState::Reading::Ready:
        return kCallButtonText;
    case CallState::Reading::Sent:
        return kCallSentText;
    case CallState::Reading::Failed:
        return kCallFailedText;
    case CallState::Reading::Received:
        return kCallReceivedText;
    case CallState::Reading::NotReceived:
        return kCallNotReceivedText;
    }
    return kCallButtonText;
}

QString unknownArgumentText(const QString& argument)
{
    return kCommandLineName + u"の「"_s + argument + u"」は知らない引数です（--helpで使い方を表示します）"_s;
}

QString optionValueMissingText(const QString& option)
{
    return kCommandLineName + u"の"_s + option + u"に値がありません"_s;
}

QString optionTakesNoValueText(const QString& option)
{
    return kCommandLineName + u"の"_s + option + u"には値を付けられません"_s;
}

QString settingsFileProblemText(const QString& file, FileStatus status)
{
    switch (status) {
    case FileStatus::Missing:
        return u"設定ファイル"_s + file + u"がありません"_s;
    case FileStatus::NotAFile:
        return u"設定ファイル"_s + file + u"は通常のファイルではないため読めません"_s;
    case FileStatus::TooLarge:
        return u"設定ファイル"_s + file +
               u"は大きすぎるため読めません（%1MBまで）"_s.arg(kMaxSmallFileBytes / (1024 * 1024));
    case FileStatus::Ok:
    case FileStatus::Unopenable:
        break;
    }
    return u"設定ファイル"_s + file + u"を読めません"_s;
}

QString notKeyValueLineText(const QString& file, int line, const QString& text)
{
    return file + u"の%1行目「"_s.arg(line) + text + u"」は「名前=値」の形ではありません"_s;
}

QString unknownKeyText(const QString& file, int line, const QString& key)
{
    return file + u"の%1行目の"_s.arg(line) + key + u"は知らない設定です"_s;
}

QString repeatedKeyText(const QString& file, int line, const QString& key, int firstLine)
{
    return file + u"の%1行目の"_s.arg(line) + key + u"は%1行目でも設定されています"_s.arg(firstLine);
}

QString valuesMissingText(const QString& file, const QStringList& folders, const QStringList& keys,
                          const QStringList& options)
{
    const QString missing =
        keys.join(u'、') + u"の設定がありません（"_s + options.join(u'、') + u"でも指定できます）"_s;
    if (!file.isEmpty())
        return file + u"に"_s + missing;
    return u"Quillharbour_Child.iniが"_s + folders.join(u"にも"_s) + u"にもありません。"_s + missing;
}

QString emptyValueText(const QString& where, const QString& name)
{
    return where + u"の"_s + name + u"が空です"_s;
}

QString badNumberText(const QString& where, const QString& name, const QString& value)
{
    return valueText(where, name, value, u"は01～30の番号ではありません"_s);
}

QString badPortText(const QString& where, const QString& name, const QString& value)
{
    return valueText(where, name, value,
                     u"は"_s + usablePortRangeText() +
                         u"のポート番号ではありません（先生のPCのプログラムはこの範囲のポートしか使えません）"_s);
}

QString badMasterText(const QString& where, const QString& name, const QString& value)
{
    return valueText(where, name, value, u"はコンピュータ名でもIPv4アドレスでもありません"_s);
}

QString badBindAddressText(const QString& where, const QString& name, const QString& value)
{
    return valueText(where, name, value, u"はIPv4アドレスではありません"_s);
}

QString badScreenModeText(const QString& where, const QString& name, const QString& value)
{
    return valueText(where, name, value, u"はFullScreenでもWindowScreenでもありません"_s);
}

QString badSwitchText(const QString& where, const QString& name, const QString& value)
{
    return valueText(where, name, value, u"は0でも1でもありません"_s);
}

QString relativeFolderText(const QString& where, const QString& name, const QString& value)
{
    return valueText(where, name, value, u"は / で始まるフォルダではありません"_s);
}

QString badTeacherKeyText(const QString& where, const QString& name, const QString& problem)
{
    return where + u"の"_s + name + u": "_s + problem;
}

QString portUnusableText(const QString& address, quint16 port)
{
    return address +
           u"のポート%1で受信できません（ほかのプログラムが使用中か、このコンピュータのアドレスではありません）"_s.arg(
               port);
}

} // namespace qh::child
