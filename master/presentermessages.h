#pragma once

#include "common/textfile.h"
#include "master/childreports.h"

#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

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

// "07 PC07": a slot as the panel's tooltips and the class view name it.
QString slotTitle(int slotNumber, const QString& computerName);
// The item of the control panel's menu "クラス" that switches the teacher's pointer on and off.
inline const QString kPointerItemText = u"ポインターを表示"_s;

// 追従中, 別のページ, 応答なし, 不明 or 停止中.
QString followStateText(FollowState state);
// A slot label's tooltip: "07 PC07: 追従中", and on a second line what the child last reported and
// how many seconds ago, when it has reported.
QString followingToolTip(int slotNumber, const QString& computerName, const SlotFollowing& following);

// The control panel's own menu after the described ones (its objectName too): the teacher's
// pointer, the class view and attention.
inline const QString kClassMenuTitle = u"クラス"_s;
inline const QString kClassMenuName = u"classMenu"_s;
inline const QString kClassViewItemText = u"クラスビュー..."_s;
inline const QString kLiftAttentionItemText = u"注目画面を解除"_s;
inline const QString kClassViewTitle = u"Quillharbour_Master クラスビュー"_s;
inline const QString kLiftAttentionButtonText = u"解除"_s;
// On a tile without a picture: the child's page window is hidden, or no picture has come yet.
inline const QString kPageHiddenText = u"ページは非表示"_s;
inline const QString kNoPictureText = u"画像なし"_s;
// "注目画面（1分）", or "注目画面（解除まで）" for none.
QString attentionItemText(std::optional<int> seconds);
// While attention is on, on the panel's menu bar and above the class view's tiles:
// "注目中 あと1:05", or "注目中（解除まで）" without a time.
QString attentionStatusText(std::optional<qint64> remainingMs);
// The same as the title of the panel's menu, which has some 100 pixels: "注目中" without a time.
QString attentionMenuTitle(std::optional<qint64> remainingMs);
// How old a tile's picture is: "3秒前".
QString pictureAgeText(qint64 ageMs);

} // namespace qh::master
