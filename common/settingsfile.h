#pragma once

#include "common/textfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

// The configuration file Quillharbour_Master.ini: code page 932 lines of fixed layout that both
// programs read. Keys are nine significant characters at the start of a line; each value starts at
// the 13th character:
//
//     ChildComp01=1PC01,WindowScreen     slot 01: in-use flag, computer name up to the first
//                                        comma (from the 14th character), screen mode after it
//     RemotePortx=5001                   the children's UDP port
//     MyHostPortx=5002                   the presenter's own UDP port
//     ScreenSizex=WindowScreen           the presenter's browser: FullScreen or a window
namespace qh {

using namespace Qt::StringLiterals;

inline constexpr int kSlotCount = 30;
inline const QString kSettingsFileName = u"Quillharbour_Master.ini"_s;

// The in-use flag of a slot: "1" in use (for the presenter: switched on), "0" not; any other text
// (a blank for a slot without a computer) is neither.
inline const QString kInUseFlag = u"1"_s;
inline const QString kNotInUseFlag = u"0"_s;

// One child computer as the configuration file describes it. All three texts are taken from the
// file verbatim: no trimming, no case folding.
struct ChildSlot {
    QString computerName;
    QString screenMode; // "FullScreen" means full screen, anything else a window
    QString inUse;      // kInUseFlag, kNotInUseFlag or anything else
    // True when any line for this slot carried the flag "1". The settings tool ticks the box
    // from this, so a later line for the same slot cannot untick it.
    bool anyLineInUse = false;

    bool isInUse() const { return inUse == kInUseFlag; }
    // A slot without a name (empty or one blank) holds no computer.
    bool holdsComputer() const { return !computerName.isEmpty() && computerName != u" "; }
};

struct PresenterSettings {
    std::array<ChildSlot, kSlotCount> childSlots; // index 0..29, numbered 01..30 for the user
    std::int16_t childPort = 0;                   // UDP port of the children
    std::int16_t masterPort = 0;                  // UDP port the presenter binds and receives calls on
    QString screenMode;                           // the presenter's initial screen mode
    // Which of the three settings lines were present, so that the tool can leave a control
    // empty when its line is missing.
    bool hasChildPort = false;
    bool hasMasterPort = false;
    bool hasScreenMode = false;
};

// The ports the presenter can use. The file holds 16-bit signed values, and of those only
// 1..32767 name a UDP port; the presenter neither binds nor sends to any other.
inline constexpr int kLowestUsablePort = 1;
inline constexpr int kHighestUsablePort = 32767;
constexpr bool isUsablePort(int port)
{
    return port >= kLowestUsablePort && port <= kHighestUsablePort;
}

// "FullScreen", exactly; any other text, the empty one included, means a window.
bool isFullScreen(const QString& screenMode);

struct SettingsReadResult {
    FileStatus status = FileStatus::Ok;
    PresenterSettings settings;
};

// Reads the configuration file by name. A missing file and a file that exists but cannot be read
// are the two failures; every line outside the format is skipped and never harms the others.
SettingsReadResult readSettingsFile(const QString& fileName);

// The reading rules on lines already decoded, and on raw file bytes.
PresenterSettings parseSettingsLines(const QStringList& lines);
PresenterSettings parseSettingsBytes(const QByteArray& bytes);

// The layout of one line, for the reader here and the settings tool's writer.
enum class SettingsLine { Header, ChildSlot, ChildPort, MasterPort, ScreenMode, Other };
SettingsLine settingsLineKind(const QString& line);
// Slot index 0..29 of a child line, from its 10th and 11th characters; none when out of range.
std::optional<int> childSlotIndex(const QString& line);
// The start of each kind of line, up to and including its "=". A child line's key keeps the two
// characters of its slot number as they stand in the line.
QString childLineKey(const QString& line);
inline const QString kChildPortKey = u"RemotePortx="_s;
inline const QString kMasterPortKey = u"MyHostPortx="_s;
inline const QString kScreenModeKey = u"ScreenSizex="_s;
inline const QString kFullScreenMode = u"FullScreen"_s;
inline const QString kWindowScreenMode = u"WindowScreen"_s;

} // namespace qh
