#include "tool/connectioncheck.h"

#include "tool/savesettings.h"

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace qh::tool {

namespace {

constexpr int kLowestPort = 1;
constexpr int kHighestPort = 32767;

const QString kNoDestination = u"－"_s;

// A file with every line the writer rewrites, so that the entries can be written and read back.
QStringList completeFileLines()
{
    QStringList lines{u"[ChildComp]"_s};
    for (int slot = 1; slot <= kSlotCount; ++slot)
        lines.append(u"ChildComp%1= ,"_s.arg(slot, 2, 10, QLatin1Char('0')));
    lines << kChildPortKey << kMasterPortKey << kScreenModeKey;
    return lines;
}

// The settings as the presenter would read them once the entries were saved: a name up to its
// first comma, a port as its leading number, a slot without a name as no computer.
PresenterSettings settingsAsSaved(const SettingsEntries& entries)
{
    return parseSettingsLines(rewriteSettingsLines(completeFileLines(), entries));
}

bool isPlainNumber(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The port as the presenter reads it: 0 when the file's line would be skipped as out of range.
void checkPort(const QString& caption, const QString& typed, bool read, std::int16_t port, QStringList& warnings)
{
    const int value = read ? port : 0;
    if (value < kLowestPort) {
        warnings.append(
            typed.isEmpty()
                ? u"%1がありません（%2～%3の数を入れてください）"_s.arg(caption).arg(kLowestPort).arg(kHighestPort)
                : u"%1「%2」は使えません（%3～%4の数を入れてください）"_s.arg(caption, typed)
                      .arg(kLowestPort)
                      .arg(kHighestPort));
    } else if (!isPlainNumber(typed) || typed.toInt() != value) {
        warnings.append(u"%1「%2」は%3として読まれます"_s.arg(caption, typed).arg(value));
    }
}

QStringList portWarnings(const SettingsEntries& entries, const PresenterSettings& saved)
{
    QStringList warnings;
    checkPort(kMasterPortCaption, entries.masterPortText, saved.hasMasterPort, saved.masterPort, warnings);
    checkPort(kChildPortCaption, entries.childPortText, saved.hasChildPort, saved.childPort, warnings);
    if (saved.hasChildPort && saved.hasMasterPort && saved.childPort >= kLowestPort &&
        saved.childPort == saved.masterPort)
        warnings.append(u"%1が%2と同じです"_s.arg(kChildPortCaption, kMasterPortCaption));
    return warnings;
}

QString destinationText(const ComputerAddress& address)
{
    switch (address.outcome) {
    case ComputerAddress::Outcome::Found:
        return address.address.toString();
    case ComputerAddress::Outcome::NotFound:
        return u"みつかりません"_s;
    case ComputerAddress::Outcome::NoIPv4:
        return u"IPv4のアドレスがありません"_s;
    case ComputerAddress::Outcome::Unusable:
        return u"使えないアドレスです"_s;
    case ComputerAddress::Outcome::NoName:
        break;
    }
    return kNoDestination;
}

QString slotNumber(int index)
{
    return u"%1"_s.arg(index + 1, 2, 10, QLatin1Char('0'));
}

const QString kRefusedWarning = u"プレゼンターはこの名前に送れません"_s;

// The name a slot's datagrams would go to, as the presenter reads it; none when the slot holds no
// computer or its name cannot be stored.
std::optional<QString> nameAsRead(const SlotEntry& entry, const ChildSlot& saved)
{
    if (entry.name.isEmpty() || !canStoreComputerName(entry.name) || !saved.holdsComputer())
        return std::nullopt;
    return saved.computerName;
}

SlotCheck checkSlot(int index, const SlotEntry& entry, const ChildSlot& saved,
                    const QHash<QString, ComputerAddress>& answers, std::optional<ComputerAddress>& found)
{
    SlotCheck check{index, entry.name, kNoDestination, {}};
    if (entry.name.isEmpty()) {
        check.warnings.append(u"チェックがありますが、コンピュータ名がありません"_s);
        return check;
    }
    if (!canStoreComputerName(entry.name)) {
        check.warnings.append(u"名前に保存できない文字があります"_s);
        return check;
    }
    if (entry.name.contains(u','))
        check.warnings.append(u"名前の「,」から後ろは保存されません"_s);
    const std::optional<QString> name = nameAsRead(entry, saved);
    if (!name) {
        // A ticked blank name is still sent to, and not found, at every step.
        if (saved.isInUse())
            check.warnings.append(kRefusedWarning);
        return check;
    }
    found = addressWithoutLookup(*name);
    if (!found && answers.contains(*name))
        found = answers.value(*name);
    if (!found) {
        check.destination = kCheckingText;
        return check;
    }
    check.destination = destinationText(*found);
    switch (found->outcome) {
    case ComputerAddress::Outcome::Found:
        break;
    case ComputerAddress::Outcome::NotFound:
        check.warnings.append(u"コンピュータ名がみつかりません"_s);
        break;
    case ComputerAddress::Outcome::NoIPv4:
        check.warnings.append(u"IPv4のアドレスがないため送れません"_s);
        break;
    case ComputerAddress::Outcome::Unusable:
    case ComputerAddress::Outcome::NoName:
        check.warnings.append(kRefusedWarning);
        break;
    }
    return check;
}

} // namespace

QStringList namesToLookUp(const SettingsEntries& entries)
{
    const PresenterSettings saved = settingsAsSaved(entries);
    QStringList names;
    for (int i = 0; i < kSlotCount; ++i) {
        const std::optional<QString> name = nameAsRead(entries.childSlots[i], saved.childSlots[i]);
        if (name && !addressWithoutLookup(*name) && !names.contains(*name))
            names.append(*name);
    }
    return names;
}

ConnectionReport checkConnections(const SettingsEntries& entries, const QHash<QString, ComputerAddress>& answers)
{
    const PresenterSettings saved = settingsAsSaved(entries);
    ConnectionReport report;
    report.portWarnings = portWarnings(entries, saved);
    QHash<quint32, QList<qsizetype>> rowsByAddress; // the rows of each address found, for duplicates
    for (int i = 0; i < kSlotCount; ++i) {
        const SlotEntry& entry = entries.childSlots[i];
        if (entry.name.isEmpty() && !entry.checked)
            continue;
        std::optional<ComputerAddress> found;
        report.slotChecks.append(checkSlot(i, entry, saved.childSlots[i], answers, found));
        if (found && found->isFound())
            rowsByAddress[found->address.toIPv4Address()].append(report.slotChecks.size() - 1);
    }
    for (const QList<qsizetype>& rows : std::as_const(rowsByAddress)) {
        for (qsizetype row : rows) {
            QStringList others;
            for (qsizetype other : rows) {
                if (other != row)
                    others.append(slotNumber(report.slotChecks[other].index));
            }
            if (!others.isEmpty())
                report.slotChecks[row].warnings.append(
                    u"コンピュータ番号%1と同じアドレスです"_s.arg(others.join(u"、"_s)));
        }
    }
    return report;
}

} // namespace qh::tool
