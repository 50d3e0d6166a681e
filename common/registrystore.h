#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// Registry reads of the About box. Windows keeps the location of its system-information program in
// the registry; elsewhere a small text file of typed values under the same keys stands in for it.
//
// The file (UTF-8) holds sections and values in the manner of a .reg export:
//
//     ; comment
//     [HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSINFO]
//     "PATH"="/usr/bin/hardinfo"          string (REG_SZ); \\ and \" are the escapes
//     "Size"=dword:0000002a               32-bit number (REG_DWORD), 8 hex digits at most
//     "Blob"=hex:01,02,ff                 bytes (REG_BINARY)
//     "Other"=hex(7):41,00,00             bytes of any other type number
//
// Key and value names compare without regard to case, as the registry's do. Lines outside this
// format are skipped. A string's data are its code page 932 bytes and a terminating NUL, which is
// what the size limit of a read counts.
namespace qh {

using namespace Qt::StringLiterals;

// Handle values of the predefined registry roots.
inline constexpr std::uint32_t kHKeyClassesRoot = 0x80000000u;
inline constexpr std::uint32_t kHKeyCurrentUser = 0x80000001u;
inline constexpr std::uint32_t kHKeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kHKeyUsers = 0x80000003u;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// The buffer a value is read into; larger values are not read at all.
inline constexpr int kRegistryValueLimit = 1024;

// Where the store is read from: the file named by the environment variable QH_REGISTRY_FILE when it
// is set, otherwise Quillharbour_Registry.txt among the programs' data files (datafiles.h): next to
// the running program, else in the installed share folder.
QString registryStorePath();

// One value as the store holds it.
struct RegistryValue {
    std::uint32_t type = kRegSz;
    QByteArray data;
};

// Looks one value up in the store's text; false when the key or the value is missing. When a key
// or value is written more than once, the last one counts.
bool findRegistryValueInStore(const QByteArray& store, std::uint32_t root, const QString& keyName,
                              const QString& valueName, RegistryValue& value);

// findRegistryValueInStore() on the store file; false also when the file cannot be read.
bool findRegistryValue(const QString& storePath, std::uint32_t root, const QString& keyName, const QString& valueName,
                       RegistryValue& value);

// The text of a value read: a string as its text, a 32-bit number as "&h" and hexadecimal digits,
// any other type leaves valueText as it was and still counts as read. A value of more than
// kRegistryValueLimit bytes gives false and an empty valueText.
bool registryValueText(const RegistryValue& value, QString& valueText);

// Reads one value into valueText: a string as its text, a 32-bit number as "&h" and hexadecimal
// digits, any other type leaves valueText as it was and still counts as read. A missing key or
// value, or a value of more than kRegistryValueLimit bytes, gives false and an empty valueText.
bool getKeyValue(std::uint32_t keyRoot, const QString& keyName, const QString& valueName, QString& valueText);

// The same read against a given store file.
bool getKeyValue(const QString& storePath, std::uint32_t keyRoot, const QString& keyName, const QString& valueName,
                 QString& valueText);

} // namespace qh

namespace qh {

// Where the system-information program is recorded, tried in this order.
inline const QString kMsinfoPathKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_s;
inline const QString kMsinfoPathValue = u"PATH"_s;
inline const QString kMsinfoFolderKey = u"SOFTWARE\\Microsoft\\Shared Tools Location"_s;
inline const QString kMsinfoFolderValue = u"MSINFO"_s;
inline const QString kMsinfoFileName = u"MSINFO32.EXE"_s;

// The program to start as system information, or nothing. A "PATH" value that can be read is
// taken as it is, without looking for the file. Otherwise the folder named by "MSINFO" must hold
// the file MSINFO32.EXE (joined with "/", the separator of the systems this build runs on).
std::optional<QString> findSysInfoProgram(const QString& storePath);

} // namespace qh
