#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// A child that holds the teacher's public key obeys only datagrams signed by it
// (common/signeddatagram.h), each once, and only those meant for it. This is the check.
//
// The child's Hello carries a fresh challenge (newChallenge()). The presenter answers it with
// datagrams signed for that challenge, which name the presenter's run: the child follows that run
// from then on, and takes each of its sequence numbers once, in any order within the last
// kSequenceWindow. A datagram of another run, recorded earlier and sent again (in a later lesson,
// after the presenter restarted), is refused, and so is one meant for another child.
namespace qh::child {

// The challenges of the last few Hellos stay good for an answer: the presenter may answer a Hello
// late, while it waits for a page to load.
inline constexpr int kKeptChallenges = 4;
// Sequence numbers this far below the highest taken may still come, once each.
inline constexpr int kSequenceWindow = 64;

class SignedIntake
{
public:
    enum class Verdict {
        Accepted,
        Unsigned,     // not signed at all
        BadSignature, // not signed by the teacher's key, or not in the signed form
        Replay,       // taken once already, too old, or answering a challenge this child did not give
        NotAddressed, // signed for other children
        UnknownRun,   // signed by the teacher for a run of the presenter this child does not follow
    };
    struct Result {
        Verdict verdict = Verdict::Unsigned;
        QByteArray inner;    // when Accepted: the datagram to act upon
        bool newRun = false; // when Accepted: it made the child follow another run
    };

    SignedIntake(const QByteArray& publicKey, int computerNumber);

    // A fresh random challenge for the next Hello.
    QByteArray newChallenge();
    // The run followed; empty until an answer to a Hello was taken.
    const QByteArray& run() const { return m_run; }

    Result take(QByteArrayView datagram);

private:
    bool takeSequence(quint64 sequence);

    struct Challenge {
        QByteArray bytes;
        QByteArray run; // the run it was answered in; empty while unanswered
    };
    const QByteArray m_publicKey;
    const int m_number;
    QList<Challenge> m_challenges; // oldest first
    QByteArray m_run;
    quint64 m_highest = 0; // the highest sequence number taken in the run
    quint64 m_taken = 0;   // bit i: m_highest - i was taken
};

// How the trace names a refusal: "unsigned", "bad-signature", "replay", "not-addressed", "unknown-run".
QString verdictName(SignedIntake::Verdict verdict);

} // namespace qh::child
