// Feeds arbitrary bytes to the lesson editor's readers of dropped files (a bookmarks export, an
// Internet shortcut, a desktop link), to check that none crashes, breaks its cap, or gives a link
// that the list could not hold on one line.
#include "lesson/linkimport.h"

#include <cstdint>
#include <cstdlib>

namespace {
bool usable(const QString& address)
{
    return !address.isEmpty() && !address.contains(u'\r') && !address.contains(u'\n') && address.trimmed() == address;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    constexpr qsizetype kCap = 20;
    const qh::lesson::LinkImport import = qh::lesson::parseBookmarks(bytes, kCap);
    if (import.links.size() > kCap || (import.truncated && import.links.size() != kCap))
        std::abort();
    for (const qh::lesson::ImportedLink& link : import.links) {
        if (!usable(link.address) || link.address.startsWith(u"place:", Qt::CaseInsensitive))
            std::abort();
    }
    for (const auto& address : {qh::lesson::parseInternetShortcut(bytes), qh::lesson::parseDesktopLink(bytes)}) {
        if (address && (address->isEmpty() || address->contains(u'\r') || address->contains(u'\n')))
            std::abort();
    }
    return 0;
}
