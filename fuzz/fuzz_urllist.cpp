// Feeds arbitrary bytes to the URL list reader and each entry to the browser's address rules, to
// check that no list crashes the reader, breaks its cap, or sends the browser somewhere it cannot go.
#include "common/browseraddress.h"
#include "common/urllist.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    constexpr int kCap = 40;
    const qh::UrlListParse parse = qh::parseUrlList(bytes, kCap);
    if (parse.entries.size() > kCap || (parse.truncated && parse.entries.size() != kCap))
        std::abort();
    for (const QString& entry : parse.entries) {
        if (entry.contains(u'\r') || entry.contains(u'\n'))
            std::abort(); // a line end always ends a field
        const QUrl url = qh::browserUrl(entry);
        const QString scheme = url.scheme();
        if (!url.isValid() || !(scheme == u"http" || scheme == u"https" || scheme == u"file" || scheme == u"data" ||
                                url.toString() == u"about:blank"))
            std::abort();
    }
    return 0;
}
