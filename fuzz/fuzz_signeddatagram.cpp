// Feeds arbitrary bytes to the reader of signed datagrams and to the child's check of them, to find
// datagrams that crash them, that read as signed without being so, or that a child takes twice.
// The input is tried as a datagram of its own, and as the parts of one that the target signs: its
// first bytes choose the header, the rest is the inner datagram. The corpus's signed datagrams are
// signed by the key of kSeed.
#include "child/signedintake.h"
#include "common/signeddatagram.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace qh;

namespace {
const QByteArray kSeed(32, 'q');
constexpr std::size_t kHeaderBytes = 8 + 4 + 4 + 1;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const TeacherSigningKey key = *TeacherSigningKey::fromSeed(kSeed);
    static const QByteArray publicKey = key.publicKey();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // A datagram reads as signed only in the signed form, and then as the one way of writing it.
    const OpenedDatagram opened = openSignedDatagram(bytes, publicKey);
    if ((opened.status == OpenedDatagram::Status::Unsigned) == isSignedDatagram(bytes))
        std::abort();
    if (opened.status == OpenedDatagram::Status::Verified && signedDatagram(key, opened.header, opened.inner) != bytes)
        std::abort();
    child::SignedIntake intake(publicKey, 7);
    if (intake.take(bytes).verdict == child::SignedIntake::Verdict::Accepted)
        std::abort(); // no run is followed before an answer to a Hello

    if (size < kHeaderBytes)
        return 0;
    SignedHeader header;
    header.run = bytes.first(8);
    std::uint32_t sequence = 0;
    std::uint32_t mask = 0;
    std::memcpy(&sequence, data + 8, 4);
    std::memcpy(&mask, data + 12, 4);
    header.sequence = quint64(sequence) + 1;
    const bool answer = data[16] & 1;
    const int number = data[16] % 31; // 0 is no child
    const QByteArray inner = bytes.sliced(kHeaderBytes);
    if (answer) {
        header.recipients.answeredNumber = number;
        header.recipients.challenge = intake.newChallenge();
    } else {
        header.recipients.childMask = mask & kAllChildrenMask;
    }
    const std::optional<QByteArray> signedBytes = signedDatagram(key, header, inner);
    const bool writable =
        (answer ? number != 0 : header.recipients.childMask != 0) && inner.size() <= kLargestSignedInnerBytes;
    if (signedBytes.has_value() != writable || (signedBytes && signedBytes->size() > kLargestDatagramBytes))
        std::abort();
    if (!signedBytes)
        return 0;
    const OpenedDatagram read = openSignedDatagram(*signedBytes, publicKey);
    if (read.status != OpenedDatagram::Status::Verified || read.header != header || read.inner != inner)
        std::abort();
    // The child 07 takes an answer to its own Hello once; nothing else, since it follows no run.
    const bool forSeven = answer && number == 7;
    const child::SignedIntake::Result first = intake.take(*signedBytes);
    if ((first.verdict == child::SignedIntake::Verdict::Accepted) != forSeven || (forSeven && first.inner != inner))
        std::abort();
    if (intake.take(*signedBytes).verdict == child::SignedIntake::Verdict::Accepted)
        std::abort();
    return 0;
}
