#pragma once

#include "common/settingsfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

namespace qh::tool {

using namespace Qt::StringLiterals;

// What the settings window holds, as plain values. An index of -1 is "no selection"; index 0 is
// full screen, any other index a window.
struct SlotEntry {
    bool checked = false;
    QString name;
    int modeIndex = -1;
};

struct SettingsEntries {
    QString masterPortText;
    QString childPortText;
    int screenModeIndex = -1;
    std::array<SlotEntry, kSlotCount> childSlots;
};

// The entries the window shows for the settings read: ports as the decimal text of their 16-bit
// value, the master mode list set when its line was present, a slot's box ticked by any "1" flag,
// and name and mode only for a slot that holds a computer.
SettingsEntries entriesFromSettings(const PresenterSettings& settings);

// One new line for each old line, in the same order: header, empty and unknown lines unchanged,
// known lines rebuilt from the entries.
QStringList rewriteSettingsLines(const QStringList& oldLines, const SettingsEntries& entries);

// The settings as the presenter would read them once the entries were saved: a name up to its
// first comma, a port as its leading number, a slot without a name as no computer.
PresenterSettings settingsAsSaved(const SettingsEntries& entries);

// What is wrong with the ports typed, as the presenter would read them once saved: a port it
// cannot use, one that reads back as another number than typed, the two ports the same.
QStringList portWarnings(const SettingsEntries& entries);

// rewriteSettingsLines() on a whole file's bytes. Every line comes out ending in CR LF; a line the
// rules leave unchanged keeps its exact bytes, even bytes that are not valid code page 932.
QByteArray rewriteSettingsBytes(const QByteArray& oldBytes, const SettingsEntries& entries);

} // namespace qh::tool
