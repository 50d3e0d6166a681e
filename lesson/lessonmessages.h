#pragma once

#include "common/urllist.h"

#include <QString>

// The lesson editor's own texts: its caption, controls, the marks of its rows and its messages.
namespace qh::lesson {

using namespace Qt::StringLiterals;

inline const QString kLessonTitle = u"Quillharbour_Lesson"_s;
inline const QString kUntitledName = u"無題"_s;

// "URLリストの編集 - weblist.txt": the window's caption for the file (its name without folder).
QString lessonCaption(const QString& fileName);

inline const QString kOpenText = u"開く..."_s;
inline const QString kNewText = u"新規"_s;
inline const QString kSaveText = u"保存"_s;
inline const QString kAddText = u"追加"_s;
inline const QString kRemoveText = u"削除"_s;
inline const QString kUpText = u"上へ"_s;
inline const QString kDownText = u"下へ"_s;
inline const QString kCheckText = u"確認"_s;
inline const QString kCancelCheckText = u"中止"_s;
inline const QString kAddressPlaceholder =
    u"アドレスを入力か貼り付け（1行に1ページ）。リンクやブックマークのファイルはドロップ"_s;
inline const QString kOpenDialogTitle = u"URLリストを開く"_s;
inline const QString kSaveDialogTitle = u"URLリストの保存"_s;
inline const QString kListFileFilter = u"URLリスト (*.txt);;すべてのファイル (*)"_s;

inline const QString kNumberHeader = u"番号"_s;
inline const QString kAddressHeader = u"アドレス"_s;
inline const QString kResultHeader = u"題名・確認結果"_s;
inline const QString kWarningHeader = u"注意"_s;

// An empty entry, in the address column and as its check result: the presenter shows a blank page.
inline const QString kEmptyEntryText = u"（空）"_s;

// What the check found for a page.
QString httpStatusText(int status);
QString networkErrorText(const QString& error);
QString timedOutText(int seconds);
inline const QString kDownloadText = u"ページではなくファイルのダウンロードです"_s;
inline const QString kCrashedText = u"ページの表示中にブラウザが異常終了しました"_s;
inline const QString kCheckingText = u"確認中…"_s;
inline const QString kNotLoadedText = u"（読み込みません）"_s;

// Warnings a row carries whether checked or not.
inline const QString kPresenterRefusesText = u"提示では開けないアドレスです（白紙のページになります）"_s;
inline const QString kChildRefusesText = u"子機はこのアドレスを開きません（子機は前のページのままです）"_s;
QString tooLongForChildrenText(qsizetype bytes);
// Addresses an import left out, being too long for a datagram to the children.
QString tooLongRefusedText(qsizetype count);
// Why an entry cannot be saved, for the row's warning and, with its number, for the message.
QString refusalText(const UrlListWrite& write);
QString unsavableText(const UrlListWrite& write);

// The status line.
QString entryCountText(qsizetype entries);
inline const QString kModifiedText = u"未保存の変更があります"_s;
QString checkProgressText(int done, int total);
QString checkFinishedText(int problems);
inline const QString kCheckCancelledText = u"確認を中止しました"_s;
inline const QString kNewFileText = u"新しいファイルです。「保存」で作られます"_s;

// Messages.
QString saveRefusedText(const QString& fileName, const UrlListWrite& write);
QString saveReadOnlyText(const QString& fileName);
QString saveNotWrittenText(const QString& fileName, const QString& error);
QString openUnreadableText(const QString& fileName);
QString openNotAFileText(const QString& fileName);
QString openTooLargeText(const QString& fileName, qint64 limitBytes);
QString openTruncatedText(const QString& fileName, int keptEntries);
QString truncatedSaveQuestionText(const QString& fileName, int keptEntries);
QString openReadAsUtf8Text(const QString& fileName);
QString openUndecodableText(const QString& fileName);
QString unsavedChangesText(const QString& fileName);
// The text with its control characters shown as visible symbols.
QString visibleText(const QString& text);
inline const QString kSaveAnswer = u"保存する"_s;
inline const QString kDiscardAnswer = u"保存しない"_s;
inline const QString kCancelAnswer = u"キャンセル"_s;
QString listFullText();

// Problems of a dropped file or link.
QString notALinkText(const QString& fileName);
QString fileTooLargeText(const QString& fileName);
QString noLinksText(const QString& fileName);
QString folderDroppedText(const QString& folderName);
QString unreadableDropText(const QString& fileName);

} // namespace qh::lesson
