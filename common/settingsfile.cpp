#include "common/settingsfile.h"

#include "common/cp932text.h"
#include "common/leadingnumber.h"

using namespace Qt::StringLiterals;

namespace qh {

namespace {
// Keys compare on their first nine characters; every value starts at the 13th character.
constexpr qsizetype kKeyLength = 9;
constexpr qsizetype kValueStart = 12;
// The name of a child starts after the flag, at the 14th character.
constexpr qsizetype kNameStart = 13;

const QString kChildKeyStem = u"ChildComp"_s;

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
    slot.anyLineInUse = slot.anyLineInUse || slot.isInUse();
}

void readValueLine(SettingsLine kind, const QString& line, PresenterSettings& settings)
{
    if (line.size() < kValueStart)
        return; // too short to hold the "=" before its value
    if (kind == SettingsLine::ScreenMode) {
        settings.screenMode = line.mid(kValueStart);
        settings.hasScreenMode = true;
        return;
    }
    const std::optional<std::int16_t> port = portValue(line);
    if (!port)
        return;
    if (kind == SettingsLine::ChildPort) {
        settings.childPort = *port;
        settings.hasChildPort = true;
    } else {
        settings.masterPort = *port;
        settings.hasMasterPort = true;
    }
}
} // namespace

bool isFullScreen(const QString& screenMode)
{
    return screenMode == kFullScreenMode;
}

SettingsLine settingsLineKind(const QString& line)
{
    if (line.startsWith(u'['))
        return SettingsLine::Header;
    const QStringView key = QStringView(line).left(kKeyLength);
    if (key == kChildKeyStem)
        return SettingsLine::ChildSlot;
    if (key == QStringView(kChildPortKey).left(kKeyLength))
        return SettingsLine::ChildPort;
    if (key == QStringView(kMasterPortKey).left(kKeyLength))
        return SettingsLine::MasterPort;
    if (key == QStringView(kScreenModeKey).left(kKeyLength))
        return SettingsLine::ScreenMode;
    return SettingsLine::Other;
}

std::optional<int> childSlotIndex(const QString& line)
{
    const double number = leadingNumber(QStringView(line).mid(kKeyLength, 2));
    if (number < 1 || number > kSlotCount)
        return std::nullopt;
    return int(number) - 1;
}

QString childLineKey(const QString& line)
{
    return kChildKeyStem + line.mid(kKeyLength, 2) + u'=';
}

PresenterSettings parseSettingsLines(const QStringList& lines)
{
    PresenterSettings settings;
    for (const QString& line : lines) {
        const SettingsLine kind = settingsLineKind(line);
        if (kind == SettingsLine::ChildSlot)
            readChildLine(line, settings);
        else if (kind == SettingsLine::ChildPort || kind == SettingsLine::MasterPort ||
                 kind == SettingsLine::ScreenMode)
            readValueLine(kind, line, settings);
    }
    return settings;
}

PresenterSettings parseSettingsBytes(const QByteArray& bytes)
{
    return parseSettingsLines(cp932::readLines(bytes));
}

SettingsReadResult readSettingsFile(const QString& fileName)
{
    const FileBytes file = readWholeFile(fileName, kMaxSmallFileBytes);
    if (file.status != FileStatus::Ok)
        return {file.status, {}};
    return {FileStatus::Ok, parseSettingsBytes(file.bytes)};
}

} // namespace qh
