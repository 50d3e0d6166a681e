#pragma once

#include "common/settingsfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

namespace qh::tool {

using namespace Qt::StringLiterals;

// The captions of the two port boxes, which the connection check's warnings name as well.
inline const QString kMasterPortCaption = u"Masterのポート番号"_s;
inline const QString kChildPortCaption = u"Childのポート番号"_s;

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

// rewriteSettingsLines() on a whole file's bytes. Every line comes out ending in CR LF; a line the
// rules leave unchanged keeps its exact bytes, even bytes that are not valid code page 932.
QByteArray rewriteSettingsBytes(const QByteArray& oldBytes, const SettingsEntries& entries);

} // namespace qh::tool
