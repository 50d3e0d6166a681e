#include "tool/settingsentries.h"

#include "common/cp932text.h"
#include "tool/toolmessages.h"

#include <algorithm>

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

// A file with every line the writer rewrites, so that the entries can be written and read back.
QStringList completeFileLines()
{
    QStringList lines{u"[ChildComp]"_s};
    for (int slot = 1; slot <= kSlotCount; ++slot)
        lines.append(u"ChildComp%1= ,"_s.arg(slot, 2, 10, QLatin1Char('0')));
    lines << kChildPortKey << kMasterPortKey << kScreenModeKey;
    return lines;
}

bool isPlainNumber(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A port line that is missing or out of range reads as 0.
void checkPort(const QString& caption, const QString& typed, bool read, std::int16_t port, QStringList& warnings)
{
    const int value = read ? port : 0;
    if (!isUsablePort(value))
        warnings.append(typed.isEmpty() ? portMissingWarning(caption) : portUnusableWarning(caption, typed));
    else if (!isPlainNumber(typed) || typed.toInt() != value)
        warnings.append(portReadAsWarning(caption, typed, value));
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

PresenterSettings settingsAsSaved(const SettingsEntries& entries)
{
    return parseSettingsLines(rewriteSettingsLines(completeFileLines(), entries));
}

QStringList portWarnings(const SettingsEntries& entries)
{
    const PresenterSettings saved = settingsAsSaved(entries);
    QStringList warnings;
    checkPort(kMasterPortCaption, entries.masterPortText, saved.hasMasterPort, saved.masterPort, warnings);
    checkPort(kChildPortCaption, entries.childPortText, saved.hasChildPort, saved.childPort, warnings);
    if (isUsablePort(saved.childPort) && saved.childPort == saved.masterPort)
        warnings.append(samePortsWarning());
    return warnings;
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
