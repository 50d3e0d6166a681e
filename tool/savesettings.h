#pragma once

#include "tool/settingsentries.h"

#include <QString>

namespace qh::tool {

using namespace Qt::StringLiterals;

// The file a save writes first and then puts in place of the configuration file. Like the
// configuration file it is named bare, so it lies in the current working directory.
inline const QString kTempFileName = u"Temp.tmp"_s;

enum class SaveOutcome {
    Saved,
    SettingsMissing,    // nothing written, Temp.tmp untouched
    SettingsUnopenable, // nothing written, no message
    SettingsRefused,    // nothing written: the file is no regular file, or too large to be one
    InvalidEntry,       // nothing written: a name would break the file or lose characters
    SettingsReadOnly,   // nothing written
    TempNotWritten,     // the configuration file is unchanged; no incomplete Temp.tmp is left, and a
                        // Temp.tmp that is no plain file of its own (a link) or another user's is
                        // left as it is
    ReplaceFailed,      // the configuration file is unchanged; the new settings are in Temp.tmp
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Saved;
    QString message; // what the user is told; empty when the save ends silently
};

// Whether a computer name can be stored: not one with a control character (a line break would
// split the file's line) or a character code page 932 cannot hold (it would come back as another
// name).
bool canStoreComputerName(const QString& name);

// Why the entries cannot be stored, or the empty text when they can: a computer name that cannot be
// stored. Ports and names with a comma are stored as typed: they read back as their leading number
// and their part before the comma, as the file format has it.
QString entriesProblem(const SettingsEntries& entries);

// Stores the entries in the configuration file: rewrites it line by line into the temporary file,
// flushes that to disk and renames it over the configuration file, so that a configuration file
// exists at every moment and a failure leaves either the old file or the new content in place.
SaveResult saveSettings(const SettingsEntries& entries, const QString& settingsName = kSettingsFileName,
                        const QString& tempName = kTempFileName);

// The last step of a save: puts the finished temporary file in place of the configuration file.
SaveResult replaceSettingsFile(const QString& tempName, const QString& settingsName);

} // namespace qh::tool
