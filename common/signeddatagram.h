#pragma once

#include "common/datagrams.h"
#include "common/teacherkey.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// A datagram signed with the teacher's key: the one form in which the presenter sends a child that
// holds the teacher's public key anything it is to obey, and the only one such a child obeys. It is
// spoken only between our presenter and our child: a child asks for it in its Hello
// (common/datagrams.h), and a peer that knows only the described datagrams never receives it; one
// that did would ignore it, as it starts with "Command:". Code page 932 (here ASCII) text as every
// other datagram, no terminator:
//
//     Command:Signed:<run>:<sequence>:<for>:<signature>:<inner>
//
//   run        16 lower-case hex digits: the random id of this run of the presenter (kRunIdBytes)
//   sequence   decimal, no leading zero, 1 to 2^64-1: one number per signed send of the run, shared
//              by all children and only growing, so that a child takes each datagram once
//   for        whom it is for, either
//                8 lower-case hex digits: the children, a mask of their numbers (bit 0 is child
//                01, bit 29 child 30), so that one signature serves a whole fan-out; or
//                NN-<32 lower-case hex digits>: child NN alone, as an answer to its Hello with that
//                challenge, which binds the run to that child's fresh challenge
//   signature  88 characters, standard base64 with padding of the 64-byte Ed25519 signature of
//                "Quillharbour signed datagram 1" NUL <run>:<sequence>:<for>: <inner>
//   inner      the bytes of the datagram signed, unchanged: a described datagram (a page, a
//              command) or one of ours; a child does with them exactly what it does with a plain
//              datagram of those bytes
//
// Every field is checked to be written as above, so that one signed datagram has one form only.
namespace qh {

inline const QString kSignedVerb = u"Signed:"_s;

// The children of one mask, bit (number - 1) for each.
inline constexpr quint32 kAllChildrenMask = (1u << 30) - 1;
constexpr quint32 childBit(int computerNumber)
{
    return 1u << (computerNumber - 1);
}

struct SignedRecipients {
    quint32 childMask = 0;  // for a fan-out: the children it is for; 0 for an answer
    int answeredNumber = 0; // for an answer to a Hello: the child, 1..30
    QByteArray challenge;   // and that Hello's challenge (kHelloChallengeBytes)

    bool isAnswer() const { return answeredNumber != 0; }
    bool includes(int computerNumber) const
    {
        return isAnswer() ? answeredNumber == computerNumber : (childMask & childBit(computerNumber)) != 0;
    }
    bool operator==(const SignedRecipients&) const = default;
};

struct SignedHeader {
    QByteArray run;       // kRunIdBytes
    quint64 sequence = 0; // from 1
    SignedRecipients recipients;

    bool operator==(const SignedHeader&) const = default;
};

// The most bytes the envelope adds to its inner datagram, and so the longest inner datagram that
// fits one UDP datagram once signed (a longer address cannot reach a child that holds the key).
inline constexpr qsizetype kLongestSignedEnvelope = 15 + 16 + 1 + 20 + 1 + 35 + 1 + 88 + 1;
inline constexpr qsizetype kLargestSignedInnerBytes = kLargestDatagramBytes - kLongestSignedEnvelope;

// The signed datagram, or none when the inner datagram is longer than kLargestSignedInnerBytes
// or the header is not one that can be written (a run of another length, sequence 0, no child).
std::optional<QByteArray> signedDatagram(const TeacherSigningKey& key, const SignedHeader& header,
                                         QByteArrayView inner);

// Whether the datagram is in the signed form at all, valid or not.
bool isSignedDatagram(QByteArrayView datagram);

struct OpenedDatagram {
    enum class Status {
        Unsigned,     // not in the signed form: a plain datagram
        Malformed,    // in the signed form, but a field is not written as it must be
        BadSignature, // well formed, but not signed by that key for these bytes
        Verified,
    };
    Status status = Status::Unsigned;
    SignedHeader header; // when Verified
    QByteArray inner;    // when Verified
};

// Reads a datagram and checks its signature against the teacher's public key. What the header says
// (a run, a sequence already taken, whom it is for) is the receiver's to judge.
OpenedDatagram openSignedDatagram(QByteArrayView datagram, QByteArrayView publicKey);

} // namespace qh
