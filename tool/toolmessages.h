#pragma once

#include <QString>
#include <QStringList>

// The settings tool's texts that its windows and messages share: the port captions, the save's
// messages and the connection check's destinations, warnings and progress.
namespace qh::tool {

using namespace Qt::StringLiterals;

// The captions of the two port boxes, which the connection check's warnings name as well.
inline const QString kMasterPortCaption = u"Masterのポート番号"_s;
inline const QString kChildPortCaption = u"Childのポート番号"_s;

// A slot's number as the user sees it: "01" for index 0.
QString slotNumberText(int index);

// The save.
inline const QString kSaveWithoutSettingsText = u" ファイルがありません"_s;
QString unstorableNameText(int slotIndex);
QString settingsReadOnlyText(const QString& settingsName);
QString tempNotWrittenText(const QString& tempName, const QString& settingsName);
QString tempNotOwnText(const QString& tempName, const QString& settingsName);
QString tempOtherUsersText(const QString& tempName, const QString& settingsName);
QString replaceFailedText(const QString& settingsName, const QString& tempName);

// The connection check's destinations: none, not answered yet, and why a name gives none.
inline const QString kNoDestinationText = u"－"_s;
inline const QString kCheckingText = u"確認中…"_s;
inline const QString kNotFoundDestinationText = u"みつかりません"_s;
inline const QString kNoIPv4DestinationText = u"IPv4のアドレスがありません"_s;
inline const QString kUnusableDestinationText = u"使えないアドレスです"_s;

// The connection check's warnings.
inline const QString kTickedWithoutNameWarning = u"チェックがありますが、コンピュータ名がありません"_s;
inline const QString kUnstorableNameWarning = u"名前に保存できない文字があります"_s;
inline const QString kCommaCutWarning = u"名前の「,」から後ろは保存されません"_s;
inline const QString kRefusedNameWarning = u"プレゼンターはこの名前に送れません"_s;
inline const QString kNameNotFoundWarning = u"コンピュータ名がみつかりません"_s;
inline const QString kNoIPv4Warning = u"IPv4のアドレスがないため送れません"_s;
QString sameAddressWarning(const QStringList& otherSlotNumbers);
QString portMissingWarning(const QString& caption);
QString portUnusableWarning(const QString& caption, const QString& typed);
QString portReadAsWarning(const QString& caption, const QString& typed, int port);
QString samePortsWarning();

// The connection check window's progress line.
QString checkingStatusText(qsizetype answered, qsizetype lookups);
QString checkDoneText(qsizetype warnings);

// The teacher's key (keysetup.h).
inline const QString kMakeKeyAnswer = u"作る"_s;
inline const QString kCancelKeyAnswer = u"キャンセル"_s;
inline const QString kCloseKeyAnswer = u"閉じる"_s;
inline const QString kRemakeKeyAnswer = u"新しい鍵を作る"_s;
QString noKeyText();
// The key there and its fingerprint, or what is wrong with it, and what a new one means.
QString keyStateText(const QString& state);
QString publicKeyMismatchText(const QString& publicKeyFile);
QString keyMadeText(const QString& fingerprint);

} // namespace qh::tool
