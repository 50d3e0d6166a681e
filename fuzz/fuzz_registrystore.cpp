// Feeds arbitrary bytes as the registry stand-in's store (a text file anyone can edit) and looks up
// the values the About box reads, to find store texts that crash the reader or give values that
// break the rules of a read.
#include "common/registrystore.h"

#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray store(reinterpret_cast<const char*>(data), qsizetype(size));
    const struct {
        std::uint32_t root;
        QString key;
        QString value;
    } lookups[] = {{qh::kHKeyLocalMachine, qh::kMsinfoPathKey, qh::kMsinfoPathValue},
                   {qh::kHKeyLocalMachine, qh::kMsinfoFolderKey, qh::kMsinfoFolderValue},
                   {qh::kHKeyCurrentUser, u"a"_s, QString()},
                   {0x12345678u, u"a"_s, u"b"_s}};
    for (const auto& lookup : lookups) {
        qh::RegistryValue value;
        if (!qh::findRegistryValueInStore(store, lookup.root, lookup.key, lookup.value, value))
            continue;
        // A string ends in its NUL, a 32-bit number is four bytes.
        if ((value.type == qh::kRegSz && !value.data.endsWith('\0')) ||
            (value.type == qh::kRegDword && value.data.size() != 4))
            std::abort();
        QString text = u"kept"_s;
        const bool read = qh::registryValueText(value, text);
        // Only a value over the limit fails, and then leaves no text behind.
        if (read != (value.data.size() <= qh::kRegistryValueLimit) || (!read && !text.isEmpty()))
            std::abort();
        if (read && value.type == qh::kRegDword && !text.startsWith(u"&h"_s))
            std::abort();
    }
    return 0;
}
