#include "common/signeddatagram.h"

#include <array>
#include <charconv>

namespace qh {

namespace {
// Keeps a signature made for these datagrams from being taken for one made for anything else.
constexpr char kDomainTag[] = "Quillharbour signed datagram 1";
constexpr qsizetype kSignatureTextLength = 88;
constexpr qsizetype kMaskDigits = 8;

const QByteArray& prefix()
{
    static const QByteArray bytes = datagramBytes(kCommandPrefix + kSignedVerb);
    return bytes;
}

// "<run>:<sequence>:<for>:", the header as it is signed and sent.
QByteArray headerText(const SignedHeader& header)
{
    const SignedRecipients& to = header.recipients;
    const QByteArray recipients =
        to.isAnswer() ? QByteArray::number(to.answeredNumber).rightJustified(2, '0') + '-' + to.challenge.toHex()
                      : QByteArray::number(to.childMask, 16).rightJustified(kMaskDigits, '0');
    return header.run.toHex() + ':' + QByteArray::number(header.sequence) + ':' + recipients + ':';
}

QByteArray signedMessage(QByteArrayView header, QByteArrayView inner)
{
    QByteArray message(kDomainTag, sizeof kDomainTag); // with its NUL
    message += header;
    message += inner;
    return message;
}

bool isWritable(const SignedHeader& header)
{
    const SignedRecipients& to = header.recipients;
    const bool recipients = to.isAnswer() ? to.answeredNumber >= 1 && to.answeredNumber <= 30 &&
                                                to.challenge.size() == kHelloChallengeBytes && to.childMask == 0
                                          : to.childMask != 0 && (to.childMask & ~kAllChildrenMask) == 0;
    return header.run.size() == kRunIdBytes && header.sequence != 0 && recipients;
}

std::optional<quint64> sequenceOf(QByteArrayView text)
{
    quint64 value = 0;
    const char* end = text.data() + text.size();
    if (text.isEmpty() || text.size() > 20 || text[0] == '0')
        return std::nullopt;
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::optional<SignedRecipients> recipientsOf(QByteArrayView text)
{
    SignedRecipients to;
    if (text.size() == kMaskDigits) {
        if (!lowerHexBytes(text, kMaskDigits / 2))
            return std::nullopt;
        to.childMask = text.toByteArray().toUInt(nullptr, 16);
        if (to.childMask == 0 || (to.childMask & ~kAllChildrenMask) != 0)
            return std::nullopt;
        return to;
    }
    if (text.size() != 3 + 2 * kHelloChallengeBytes || text[2] != '-' || text[0] < '0' || text[0] > '9' ||
        text[1] < '0' || text[1] > '9')
        return std::nullopt;
    to.answeredNumber = (text[0] - '0') * 10 + (text[1] - '0');
    const std::optional<QByteArray> challenge = lowerHexBytes(text.sliced(3), kHelloChallengeBytes);
    if (to.answeredNumber < 1 || to.answeredNumber > 30 || !challenge)
        return std::nullopt;
    to.challenge = *challenge;
    return to;
}
} // namespace

static_assert(sizeof "Command:Signed:" - 1 == 15, "kLongestSignedEnvelope counts the prefix as 15 bytes");

std::optional<QByteArray> signedDatagram(const TeacherSigningKey& key, const SignedHeader& header, QByteArrayView inner)
{
    if (inner.size() > kLargestSignedInnerBytes || !isWritable(header))
        return std::nullopt;
    const QByteArray text = headerText(header);
    const QByteArray signature = key.sign(signedMessage(text, inner)).toBase64();
    QByteArray datagram;
    datagram.reserve(prefix().size() + text.size() + signature.size() + 1 + inner.size());
    datagram += prefix();
    datagram += text;
    datagram += signature;
    datagram += ':';
    datagram += inner;
    return datagram;
}

bool isSignedDatagram(QByteArrayView datagram)
{
    return datagram.startsWith(prefix());
}

OpenedDatagram openSignedDatagram(QByteArrayView datagram, QByteArrayView publicKey)
{
    using Status = OpenedDatagram::Status;
    if (!isSignedDatagram(datagram))
        return {Status::Unsigned, {}, {}};
    // run, sequence, for and signature end at a colon each; the inner bytes are the rest.
    std::array<QByteArrayView, 4> fields;
    QByteArrayView rest = datagram.sliced(prefix().size());
    qsizetype headerLength = 0;
    for (qsizetype i = 0; i < qsizetype(fields.size()); ++i) {
        const qsizetype colon = rest.indexOf(':');
        if (colon < 0)
            return {Status::Malformed, {}, {}};
        fields[std::size_t(i)] = rest.first(colon);
        rest = rest.sliced(colon + 1);
        if (i < 3)
            headerLength += colon + 1;
    }
    SignedHeader header;
    const std::optional<QByteArray> run = lowerHexBytes(fields[0], kRunIdBytes);
    const std::optional<quint64> sequence = sequenceOf(fields[1]);
    const std::optional<SignedRecipients> recipients = recipientsOf(fields[2]);
    const auto signature =
        QByteArray::fromBase64Encoding(fields[3].toByteArray(), QByteArray::AbortOnBase64DecodingErrors);
    if (!run || !sequence || !recipients || fields[3].size() != kSignatureTextLength || !signature ||
        signature.decoded.size() != kTeacherSignatureBytes || signature.decoded.toBase64() != fields[3])
        return {Status::Malformed, {}, {}};
    header.run = *run;
    header.sequence = *sequence;
    header.recipients = *recipients;
    const QByteArrayView text = datagram.sliced(prefix().size(), headerLength);
    if (!isTeacherSignature(publicKey, signedMessage(text, rest), signature.decoded))
        return {Status::BadSignature, {}, {}};
    return {Status::Verified, header, rest.toByteArray()};
}

} // namespace qh
