#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace qh {

inline constexpr int kSlotCount = 30;
inline const QString kSettingsFileName = QStringLiteral("Quillharbour_Master.ini");

// One child computer as the configuration file describes it. All three texts are taken from the
// file verbatim: no trimming, no case folding.
struct ChildSlot {
    QString computerName;
    QString screenMode; // "FullScreen" means full screen, anything else a window
    QString inUse;      // one character: "1" in use, "0" not, anything else neither
    // True when any line for this slot carried the flag "1". The settings tool ticks the box
    // from this, so a later line for the same slot cannot untick it.
    bool anyLineInUse = false;
};

struct PresenterSettings {
    std::array<ChildSlot, kSlotCount> childSlots; // index 0..29, numbered 01..30 for the user
    std::int16_t RemotePort = 0;                  // UDP port of the children
    std::int16_t MyHostPort = 0;                  // UDP port the presenter binds and receives calls on
    QString ScreenSize;                           // the presenter's initial screen mode
    // Which of the three settings lines were present, so that the tool can leave a control
    // empty when its line is missing.
    bool hasRemotePort = false;
    bool hasMyHostPort = false;
    bool hasScreenSize = false;
};

bool isFullScreen(const QString& screenMode);
bool slotHoldsComputer(const ChildSlot& slot);

enum class ReadStatus { Ok, Missing, Unopenable };

struct SettingsReadResult {
    ReadStatus status = ReadStatus::Ok;
    PresenterSettings settings;
};

// Reads the configuration file by name. A missing file and a file that exists but cannot be read
// are the two failures; every line outside the format is skipped and never harms the others.
SettingsReadResult ReadSettingsFile(const QString& fileName);

// The reading rules on lines already decoded, and on raw file bytes.
PresenterSettings parseSettingsLines(const QStringList& lines);
PresenterSettings parseSettingsBytes(const QByteArray& bytes);

// What the settings tool's window holds, as plain values. An index of -1 is "no selection";
// index 0 is full screen, any other index a window.
struct SlotEntry {
    bool checked = false;
    QString name;
    int modeIndex = -1;
};

struct SettingsEntries {
    QString myHostPortText;
    QString remotePortText;
    int screenModeIndex = -1;
    std::array<SlotEntry, kSlotCount> childSlots;
};

// The entries a settings window shows for the settings read: ports as the decimal text of their
// 16-bit value, the master mode list set when its line was present, a slot's box ticked by any "1"
// flag, and name and mode only for a slot that holds a computer.
SettingsEntries entriesFromSettings(const PresenterSettings& settings);

// One new line for each old line, in the same order: header, empty and unknown lines unchanged,
// known lines rebuilt from the entries.
QStringList RewriteSettingsFile(const QStringList& oldLines, const SettingsEntries& entries);

// RewriteSettingsFile() on a whole file's bytes. Every line comes out ending in CR LF; a line the
// rules leave unchanged keeps its exact bytes, even bytes that are not valid CP932.
QByteArray rewriteSettingsBytes(const QByteArray& oldBytes, const SettingsEntries& entries);

} // namespace qh
