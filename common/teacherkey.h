#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The teacher's key: an Ed25519 key pair (libsodium) whose private half stays in the class folder
// and whose public half goes to every student computer, so that a child obeys only what the
// teacher's presenter signed. Two files of one line each, standard base64 with padding:
//
//     Quillharbour_Teacher.key   the 32-byte seed of the private key, mode 0600
//     Quillharbour_Teacher.pub   the 32-byte public key (44 characters)
//
// A line may end in LF or CR LF; nothing else is allowed in the file.
namespace qh {

using namespace Qt::StringLiterals;

inline const QString kTeacherKeyFileName = u"Quillharbour_Teacher.key"_s;
inline const QString kTeacherPublicKeyFileName = u"Quillharbour_Teacher.pub"_s;

inline constexpr qsizetype kTeacherSeedBytes = 32;
inline constexpr qsizetype kTeacherPublicKeyBytes = 32;
inline constexpr qsizetype kTeacherSignatureBytes = 64;

// The private key, ready to sign.
class TeacherSigningKey
{
public:
    // A new key from the system's random source.
    static TeacherSigningKey generate();
    // None unless the seed has kTeacherSeedBytes.
    static std::optional<TeacherSigningKey> fromSeed(QByteArrayView seed);

    QByteArray seed() const;
    QByteArray publicKey() const;
    // The detached signature of the message, kTeacherSignatureBytes.
    QByteArray sign(QByteArrayView message) const;

private:
    TeacherSigningKey() = default;
    QByteArray m_secret; // libsodium's secret key: the seed, then the public key
};

// Whether the signature is the one the public key's private half gives the message.
bool isTeacherSignature(QByteArrayView publicKey, QByteArrayView message, QByteArrayView signature);

// Fills the buffer from the system's random source.
QByteArray randomBytes(qsizetype count);

// The short form of a public key that a person compares between computers: the first 8 bytes of
// its BLAKE2b-256 hash, as four groups of four upper-case hex digits ("1A2B-3C4D-5E6F-7081").
QString keyFingerprint(QByteArrayView publicKey);

// The line of a key file, without its line end.
QByteArray keyFileLine(QByteArrayView keyBytes);

// Why a key file cannot be used.
enum class KeyFileProblem {
    None,
    Missing,
    Unreadable,       // a folder, or a file that cannot be read
    ReadableByOthers, // a private key whose file others than its owner may read
    NotAKey,          // not one line of base64 of the right length
};

struct SigningKeyFile {
    KeyFileProblem problem = KeyFileProblem::None;
    std::optional<TeacherSigningKey> key;
};
// Reads a private key file; a file that its group or others may read is refused unread.
SigningKeyFile readSigningKeyFile(const QString& path);

struct PublicKeyFile {
    KeyFileProblem problem = KeyFileProblem::None;
    QByteArray publicKey; // kTeacherPublicKeyBytes when the problem is None
};
PublicKeyFile readPublicKeyFile(const QString& path);

struct KeyPairWrite {
    enum class Status { Written, Exists, NotWritten };
    Status status = Status::Written;
    QByteArray publicKey; // of the pair written
    QString error;        // the system's reason for NotWritten
};
// Makes a new pair and writes both files into the folder, the private one readable by its owner
// alone. Unless `replace`, nothing is written when either file is there already (Exists). Each
// file goes to a temporary file that is renamed into place, so that a file is never half written.
KeyPairWrite writeTeacherKeyPair(const QString& folder, bool replace = false);

} // namespace qh
