#include "tool/connectioncheck.h"

#include "tool/savesettings.h"
#include "tool/toolmessages.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace qh::tool {

namespace {

QString destinationText(const ComputerAddress& address)
{
    switch (address.outcome) {
    case ComputerAddress::Outcome::Found:
        return address.address.toString();
    case ComputerAddress::Outcome::NotFound:
        return kNotFoundDestinationText;
    case ComputerAddress::Outcome::NoIPv4:
        return kNoIPv4DestinationText;
    case ComputerAddress::Outcome::Unusable:
        return kUnusableDestinationText;
    case ComputerAddress::Outcome::NoName:
        break;
    }
    return kNoDestinationText;
}

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
    SlotCheck check{index, entry.name, kNoDestinationText, {}};
    if (entry.name.isEmpty()) {
        check.warnings.append(kTickedWithoutNameWarning);
        return check;
    }
    if (!canStoreComputerName(entry.name)) {
        check.warnings.append(kUnstorableNameWarning);
        return check;
    }
    if (entry.name.contains(u','))
        check.warnings.append(kCommaCutWarning);
    const std::optional<QString> name = nameAsRead(entry, saved);
    if (!name) {
        // A ticked blank name is still sent to, and not found, at every step.
        if (saved.isInUse())
            check.warnings.append(kRefusedNameWarning);
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
        check.warnings.append(kNameNotFoundWarning);
        break;
    case ComputerAddress::Outcome::NoIPv4:
        check.warnings.append(kNoIPv4Warning);
        break;
    case ComputerAddress::Outcome::Unusable:
    case ComputerAddress::Outcome::NoName:
        check.warnings.append(kRefusedNameWarning);
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
    report.portWarnings = portWarnings(entries);
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
                    others.append(slotNumberText(report.slotChecks[other].index));
            }
            if (!others.isEmpty())
                report.slotChecks[row].warnings.append(sameAddressWarning(others));
        }
    }
    return report;
}

} // namespace qh::tool
