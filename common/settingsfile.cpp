#include "settingsfile.h"

#include "cp932text.h"
#include "leadingnumber.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace qh {

namespace {
// Settings keys are eleven characters and "=", so every value starts at the 13th character.
constexpr qsizetype kKeyLength = 9;
constexpr qsizetype kValueStart = 12;
// The name of a child starts after the flag, at the 14th character.
constexpr qsizetype kNameStart = 13;

const QString kChildKey = QStringLiteral("ChildComp");
const QString kRemotePortKey = QStringLiteral("RemotePor");
const QString kMyHostPortKey = QStringLiteral("MyHostPor");
const QString kScreenSizeKey = QStringLiteral("ScreenSiz");
const QString kFullScreen = QStringLiteral("FullScreen");

// Slot index 0..29 of a child line, from its 10th and 11th characters; none when out of range.
std::optional<int> childSlotIndex(const QString& line)
{
    const double number = leadingNumber(QStringView(line).mid(kKeyLength, 2));
    if (number < 1 || number > kSlotCount)
        return std::nullopt;
    return int(number) - 1;
}

std::optional<std::int16_t> portValue(const QString& line)
{
    const double number = leadingNumber(QStringView(line).mid(kValueStart));
    if (number < -32768 || number > 32767)
        return std::nullopt;
    return std::int16_t(number);
}

void readChildLine(const QString& line, PresenterSettings& settings)
{
    const std::optional<int> index = childSlotIndex(line);
    const qsizetype comma = line.indexOf(u',');
    if (!index || comma < kNameStart)
        return; // outside the format: no slot, no comma, or a comma inside the flag
    ChildSlot& slot = settings.childSlots[*index];
    slot.computerName = line.mid(kNameStart, comma - kNameStart);
    slot.screenMode = line.mid(comma + 1);
    slot.inUse = line.mid(kValueStart, 1);
    slot.anyLineInUse = slot.anyLineInUse || slot.inUse == u"1";
}

void readSettingsLine(const QString& key, const QString& line, PresenterSettings& settings)
{
    if (line.size() < kValueStart)
        return; // too short to hold the "=" before its value
    if (key == kScreenSizeKey) {
        settings.ScreenSize = line.mid(kValueStart);
        settings.hasScreenSize = true;
        return;
    }
    const std::optional<std::int16_t> port = portValue(line);
    if (!port)
        return;
    if (key == kRemotePortKey) {
        settings.RemotePort = *port;
        settings.hasRemotePort = true;
    } else {
        settings.MyHostPort = *port;
        settings.hasMyHostPort = true;
    }
}

QString rewriteChildLine(const QString& line, const SettingsEntries& entries)
{
    const std::optional<int> index = childSlotIndex(line);
    if (!index)
        return line; // no slot to take values from: keep the line as it stands
    const SlotEntry& slot = entries.childSlots[*index];
    QString out = kChildKey + line.mid(kKeyLength, 2) + u'=';
    if (slot.name.isEmpty())
        return out + QStringLiteral(" ,");
    out += slot.checked ? u'1' : u'0';
    out += slot.name + u',';
    out += slot.modeIndex == 0 ? QStringLiteral("FullScreen") : QStringLiteral("WindowScreen");
    return out;
}
} // namespace

bool isFullScreen(const QString& screenMode)
{
    return screenMode == kFullScreen;
}

bool slotHoldsComputer(const ChildSlot& slot)
{
    return !slot.computerName.isEmpty() && slot.computerName != u" ";
}

PresenterSettings parseSettingsLines(const QStringList& lines)
{
    PresenterSettings settings;
    for (const QString& line : lines) {
        if (line.startsWith(u'['))
            continue;
        const QString key = line.left(kKeyLength);
        if (key == kChildKey)
            readChildLine(line, settings);
        else if (key == kRemotePortKey || key == kMyHostPortKey || key == kScreenSizeKey)
            readSettingsLine(key, line, settings);
    }
    return settings;
}

PresenterSettings parseSettingsBytes(const QByteArray& bytes)
{
    return parseSettingsLines(cp932::readLines(bytes));
}

SettingsReadResult ReadSettingsFile(const QString& fileName)
{
    SettingsReadResult result;
    QFile file(fileName);
    if (!QFileInfo::exists(fileName)) {
        result.status = ReadStatus::Missing;
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ReadStatus::Unopenable;
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadStatus::Unopenable;
        return result;
    }
    result.settings = parseSettingsBytes(bytes);
    return result;
}

SettingsEntries entriesFromSettings(const PresenterSettings& settings)
{
    SettingsEntries entries;
    if (settings.hasMyHostPort)
        entries.myHostPortText = QString::number(settings.MyHostPort);
    if (settings.hasRemotePort)
        entries.remotePortText = QString::number(settings.RemotePort);
    if (settings.hasScreenSize)
        entries.screenModeIndex = isFullScreen(settings.ScreenSize) ? 0 : 1;
    for (int i = 0; i < kSlotCount; ++i) {
        const ChildSlot& slot = settings.childSlots[i];
        SlotEntry& entry = entries.childSlots[i];
        entry.checked = slot.anyLineInUse;
        if (slotHoldsComputer(slot)) {
            entry.name = slot.computerName;
            entry.modeIndex = isFullScreen(slot.screenMode) ? 0 : 1;
        }
    }
    return entries;
}

QStringList RewriteSettingsFile(const QStringList& oldLines, const SettingsEntries& entries)
{
    QStringList out;
    out.reserve(oldLines.size());
    for (const QString& line : oldLines) {
        const QString key = line.left(kKeyLength);
        if (line.isEmpty() || line.startsWith(u'['))
            out.append(line);
        else if (key == kChildKey)
            out.append(rewriteChildLine(line, entries));
        else if (key == kRemotePortKey)
            out.append(QStringLiteral("RemotePortx=") + entries.remotePortText);
        else if (key == kMyHostPortKey)
            out.append(QStringLiteral("MyHostPortx=") + entries.myHostPortText);
        else if (key == kScreenSizeKey)
            out.append(entries.screenModeIndex == 0 ? QStringLiteral("ScreenSizex=FullScreen")
                                                    : QStringLiteral("ScreenSizex=WindowScreen"));
        else
            out.append(line);
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
    const QStringList newLines = RewriteSettingsFile(oldLines, entries);
    QByteArray out;
    for (qsizetype i = 0; i < newLines.size(); ++i) {
        out += newLines[i] == oldLines[i] ? rawLines[i] : cp932::encode(newLines[i]);
        out += "\r\n";
    }
    return out;
}

} // namespace qh
