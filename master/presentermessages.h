#pragma once

#include "common/textfile.h"
#include "master/childreports.h"

#include <QString>
#include <QUrl>

#include <cstdint>

// The texts of the presenter's message boxes: the second-instance warning, the missing URL list and
// the computer that is not found, the messages about a file or port it cannot use, and what it
// says about what a page asked for; and the control panel's tooltips on how each child follows.
namespace qh::master {

using namespace Qt::StringLiterals;

inline const QString kSecondInstanceText = u"すでにこのプログラムは起動しています"_s;
inline const QString kSecondInstanceTitle = u"警告"_s;
// The lock file that tells a second presenter of this user that one runs.
inline const QString kPresenterLockName = u"Quillharbour_Master.lock"_s;

QString urlListMissingText(const QString& fileName);
// Why the URL list was not read: missing, no regular file or too large; empty for Ok and for a file
// that exists but cannot be opened, of which nothing is said.
QString urlListProblemText(const QString& fileName, FileStatus status);
QString computerNotFoundText(const QString& computerName);

QString urlListTruncatedText(const QString& fileName, int keptEntries);

// A page's own dialog (alert, confirm, prompt), shown without waiting: its title names the page.
QString pageDialogTitle(const QUrl& origin);
// A download a page started, which the presenter does not make.
QString downloadRefusedText(const QUrl& address);
QString masterPortUnusableText(std::int16_t port);

// The teacher's key cannot be used (`problem` says why): the presenter sends unsigned datagrams.
QString keyNotUsedText(const QString& problem);
// A child asks for datagrams signed with the teacher's key, and the presenter has none.
QString childAsksForKeyText(int childNumber);
// A page address that does not fit one datagram once signed.
QString addressTooLongToSignText(qsizetype addressBytes);
QString childPortUnusableText(std::int16_t port);

// 追従中, 別のページ, 応答なし, 不明 or 停止中.
QString followStateText(FollowState state);
// A slot label's tooltip: "07 PC07: 追従中", and on a second line what the child last reported and
// how many seconds ago, when it has reported.
QString followingToolTip(int slotNumber, const QString& computerName, const SlotFollowing& following);

} // namespace qh::master
