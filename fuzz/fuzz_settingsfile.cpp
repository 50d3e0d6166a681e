// Feeds arbitrary bytes to the configuration file reader, and what it read back through the writer,
// to check that no file content crashes, overflows or makes the writer lose a line.
#include "common/cp932text.h"
#include "common/settingsfile.h"
#include "tool/settingsentries.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qh::PresenterSettings settings = qh::parseSettingsBytes(bytes);
    const qh::tool::SettingsEntries entries = qh::tool::entriesFromSettings(settings);
    const QByteArray rewritten = qh::tool::rewriteSettingsBytes(bytes, entries);
    // The writer keeps every line: as many lines out as in.
    if (qh::cp932::splitLines(rewritten).size() != qh::cp932::splitLines(bytes).size())
        std::abort();
    return 0;
}
