#include "child/signedintake.h"

#include "common/signeddatagram.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::child {

SignedIntake::SignedIntake(const QByteArray& publicKey, int computerNumber)
    : m_publicKey(publicKey), m_number(computerNumber)
{}

QByteArray SignedIntake::newChallenge()
{
    const QByteArray challenge = randomBytes(kHelloChallengeBytes);
    m_challenges.append({challenge, {}});
    if (m_challenges.size() > kKeptChallenges)
        m_challenges.removeFirst();
    return challenge;
}

SignedIntake::Result SignedIntake::take(QByteArrayView datagram)
{
    const OpenedDatagram opened = openSignedDatagram(datagram, m_publicKey);
    switch (opened.status) {
    case OpenedDatagram::Status::Unsigned:
        return {Verdict::Unsigned, {}, false};
    case OpenedDatagram::Status::Malformed:
    case OpenedDatagram::Status::BadSignature:
        return {Verdict::BadSignature, {}, false};
    case OpenedDatagram::Status::Verified:
        break;
    }
    const SignedHeader& header = opened.header;
    if (!header.recipients.includes(m_number))
        return {Verdict::NotAddressed, {}, false};
    bool newRun = false;
    if (header.recipients.isAnswer()) {
        const auto given = std::find_if(m_challenges.begin(), m_challenges.end(), [&](const Challenge& challenge) {
            return challenge.bytes == header.recipients.challenge;
        });
        // A challenge answered in one run answers nothing in another: an old run's answer to it,
        // sent again, cannot take the child back to that run.
        if (given == m_challenges.end() || (!given->run.isEmpty() && given->run != header.run))
            return {Verdict::Replay, {}, false};
        if (header.run != m_run) {
            m_run = header.run;
            m_highest = 0;
            m_taken = 0;
            newRun = true;
            m_challenges.removeIf(
                [&](const Challenge& challenge) { return !challenge.run.isEmpty() && challenge.run != header.run; });
        }
        for (Challenge& challenge : m_challenges) {
            if (challenge.run.isEmpty())
                challenge.run = header.run;
        }
    } else if (m_run.isEmpty() || header.run != m_run) {
        return {Verdict::UnknownRun, {}, false};
    }
    if (!takeSequence(header.sequence))
        return {Verdict::Replay, {}, false};
    return {Verdict::Accepted, opened.inner, newRun};
}

bool SignedIntake::takeSequence(quint64 sequence)
{
    if (sequence > m_highest) {
        const quint64 ahead = sequence - m_highest;
        m_taken = ahead >= quint64(kSequenceWindow) ? 0 : m_taken << ahead;
        m_taken |= 1;
        m_highest = sequence;
        return true;
    }
    const quint64 behind = m_highest - sequence;
    if (behind >= quint64(kSequenceWindow) || (m_taken & (quint64(1) << behind)))
        return false;
    m_taken |= quint64(1) << behind;
    return true;
}

QString verdictName(SignedIntake::Verdict verdict)
{
    switch (verdict) {
    case SignedIntake::Verdict::Accepted:
        return u"accepted"_s;
    case SignedIntake::Verdict::Unsigned:
        return u"unsigned"_s;
    case SignedIntake::Verdict::BadSignature:
        return u"bad-signature"_s;
    case SignedIntake::Verdict::Replay:
        return u"replay"_s;
    case SignedIntake::Verdict::NotAddressed:
        return u"not-addressed"_s;
    case SignedIntake::Verdict::UnknownRun:
        break;
    }
    return u"unknown-run"_s;
}

} // namespace qh::child
