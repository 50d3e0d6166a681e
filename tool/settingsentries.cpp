#include "tool/settingsentries.h"

#include "common/cp932text.h"

using namespace Qt::StringLiterals;

namespace qh::tool {

namespace {
QString modeText(int modeIndex)
{
    return modeIndex == 0 ? kFullScreenMode : kWindowScreenMode;
}

QString rewriteChildLine(const QString& line, const SettingsEntries& entries)
{
    const std::optional<int> index = childSlotIndex(line);
    if (!index)
        return line; // no slot to take values from: keep the line as it stands
    const SlotEntry& slot = entries.childSlots[*index];
    const QString key = childLineKey(line);
    if (slot.name.isEmpty())
        return key + u" ,"_s;
    return key + (slot.checked ? kInUseFlag : kNotInUseFlag) + slot.name + u',' + modeText(slot.modeIndex);
}
} // namespace

SettingsEntries entriesFromSettings(const PresenterSettings& settings)
{
    SettingsEntries entries;
    if (settings.hasMasterPort)
        entries.masterPortText = QString::number(settings.masterPort);
    if (settings.hasChildPort)
        entries.childPortText = QString::number(settings.childPort);
    if (settings.hasScreenMode)
        entries.screenModeIndex = isFullScreen(settings.screenMode) ? 0 : 1;
    for (int i = 0; i < kSlotCount; ++i) {
        const ChildSlot& slot = settings.childSlots[i];
        SlotEntry& entry = entries.childSlots[i];
        entry.checked = slot.anyLineInUse;
        if (slot.holdsComputer()) {
            entry.name = slot.computerName;
            entry.modeIndex = isFullScreen(slot.screenMode) ? 0 : 1;
        }
    }
    return entries;
}

QStringList rewriteSettingsLines(const QStringList& oldLines, const SettingsEntries& entries)
{
    QStringList out;
    out.reserve(oldLines.size());
    for (const QString& line : oldLines) {
        switch (line.isEmpty() ? SettingsLine::Other : settingsLineKind(line)) {
        case SettingsLine::ChildSlot:
            out.append(rewriteChildLine(line, entries));
            break;
        case SettingsLine::ChildPort:
            out.append(kChildPortKey + entries.childPortText);
            break;
        case SettingsLine::MasterPort:
            out.append(kMasterPortKey + entries.masterPortText);
            break;
        case SettingsLine::ScreenMode:
            out.append(kScreenModeKey + modeText(entries.screenModeIndex == 0 ? 0 : 1));
            break;
        case SettingsLine::Header:
        case SettingsLine::Other:
            out.append(line);
            break;
        }
    }
    return out;
}

QByteArray rewriteSettingsBytes(const QByteArray& oldBytes, const SettingsEntries& entries)
{
    const QList<QByteArray> rawLines = cp932::splitLines(oldBytes);
    QStringList oldLines;
    oldLines.reserve(rawLines.size());
    for (const QByteArray& raw : rawLines)
        oldLines.append(cp932::decode(raw));
    const QStringList newLines = rewriteSettingsLines(oldLines, entries);
    QByteArray out;
    for (qsizetype i = 0; i < newLines.size(); ++i) {
        out += newLines[i] == oldLines[i] ? rawLines[i] : cp932::encode(newLines[i]);
        out += "\r\n";
    }
    return out;
}

} // namespace qh::tool
