#pragma once

#include "child/callstate.h"
#include "common/textfile.h"

#include <QString>
#include <QStringList>

// The child program's own texts: on its call window and in its messages.
namespace qh::child {

using namespace Qt::StringLiterals;

inline const QString kChildTitle = u"Quillharbour_Child"_s;
inline const QString kCallButtonText = u"呼び出し"_s;
// On the button while a call just sent blocks the next one.
inline const QString kCallSentText = u"呼び出しました"_s;
// On the button for a moment when the call could not be sent.
inline const QString kCallFailedText = u"送れませんでした"_s;
// On the button when our presenter has listed the call, or has not confirmed it in time.
inline const QString kCallReceivedText = u"届きました"_s;
inline const QString kCallNotReceivedText = u"届いていません"_s;
// In the call bar while the teacher's computer is not found.
inline const QString kLookingForMasterText = u"先生のPCを探しています"_s;
// In the call bar while the teacher's computer sends what the teacher's key did not sign.
inline const QString kKeyTroubleText = u"先生の鍵の署名がありません"_s;
// The call bar's tooltip on a computer without the teacher's key.
inline const QString kNoTeacherKeyText = u"先生の鍵なし（先生のPCのアドレスで確かめます）"_s;
inline const QString kSecondInstanceText = u"すでにこのプログラムは起動しています"_s;
inline const QString kCommandLineName = u"コマンドライン"_s;
// On every screen while the teacher calls for attention.
inline const QString kAttentionText = u"先生の方を見てください"_s;

// Under the attention message: "あと 1:05" for the time left.
QString attentionTimeLeftText(qint64 remainingMs);

// "Quillharbour_Child 07": the call window's caption.
QString childCaption(int number);

QString callButtonText(CallState::Reading reading);

QString unknownArgumentText(const QString& argument);
QString optionValueMissingText(const QString& option);
QString optionTakesNoValueText(const QString& option);

// Why the settings file was not read: missing, no regular file, too large, or unreadable.
QString settingsFileProblemText(const QString& file, FileStatus status);
QString notKeyValueLineText(const QString& file, int line, const QString& text);
QString unknownKeyText(const QString& file, int line, const QString& key);
QString repeatedKeyText(const QString& file, int line, const QString& key, int firstLine);

// Values that neither the command line nor a settings file gives, by key and by option. `file` is
// the file read, or empty when none was found in the folders searched.
QString valuesMissingText(const QString& file, const QStringList& folders, const QStringList& keys,
                          const QStringList& options);

// A value that is there but unusable. `where` is the file or kCommandLineName, `name` the key or
// the option.
QString emptyValueText(const QString& where, const QString& name);
QString badNumberText(const QString& where, const QString& name, const QString& value);
QString badPortText(const QString& where, const QString& name, const QString& value);
QString badMasterText(const QString& where, const QString& name, const QString& value);
QString badBindAddressText(const QString& where, const QString& name, const QString& value);
QString badScreenModeText(const QString& where, const QString& name, const QString& value);
QString badSwitchText(const QString& where, const QString& name, const QString& value);
// One of the local folders is not an absolute path.
QString relativeFolderText(const QString& where, const QString& name, const QString& value);

// The teacher's key named by the setting cannot be used: `problem` says why.
QString badTeacherKeyText(const QString& where, const QString& name, const QString& problem);

QString portUnusableText(const QString& address, quint16 port);

} // namespace qh::child
