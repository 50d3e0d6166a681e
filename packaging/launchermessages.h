#pragma once

#include <QDateTime>
#include <QString>

// The launcher's own texts: about the class folder, the program it starts and the URL list chooser.
namespace qh::launcher {

using namespace Qt::StringLiterals;

QString notAFolderText(const QString& path);
QString notCreatedText(const QString& path);
QString templateMissingText(const QString& fileName);
// What the user is told after the class folder was made, with the teacher's key made in it.
QString classFolderCreatedText(const QString& path, const QByteArray& publicKey);
// The message when the program cannot be started.
QString programNotStartedText(const QString& name);

inline const QString kChooserTitle = u"Quillharbour 提示 - URLリストの選択"_s;
inline const QString kChooserPrompt = u"提示するURLリストを選んでください。"_s;
inline const QString kListNameHeader = u"URLリスト"_s;
inline const QString kPagesHeader = u"ページ数"_s;
inline const QString kFirstPageHeader = u"最初のページ"_s;
inline const QString kLastChangedHeader = u"最終更新"_s;
inline const QString kStartText = u"提示を始める"_s;
inline const QString kCancelText = u"キャンセル"_s;
inline const QString kUnknownPagesText = u"？"_s;

QString pagesText(int pages);
QString lastChangedText(const QDateTime& time);

} // namespace qh::launcher
