#include "common/teacherkey.h"

#include "common/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <sodium.h>

#include <cstdlib>

namespace qh {

namespace {
constexpr qint64 kLongestKeyFileBytes = 256;

// libsodium must be set up once before its first use; it picks its fastest code then.
void prepareSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        std::abort(); // no random source: no key can be made or trusted
}

const auto* bytesOf(QByteArrayView bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.data());
}

auto* bytesOf(QByteArray& bytes)
{
    return reinterpret_cast<unsigned char*>(bytes.data());
}

// The bytes of a key file's one line of canonical base64, or none.
std::optional<QByteArray> keyFileBytes(QByteArray text, qsizetype expectedBytes)
{
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.endsWith('\r'))
        text.chop(1);
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    // Base64 that decodes but is written another way (no padding, stray bits) is not ours either.
    if (!decoded || decoded.decoded.size() != expectedBytes || decoded.decoded.toBase64() != text)
        return std::nullopt;
    return decoded.decoded;
}

struct KeyFileText {
    KeyFileProblem problem = KeyFileProblem::None;
    QByteArray bytes;
};

KeyFileText readKeyFile(const QString& path, qsizetype expectedBytes, bool privateKey)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {KeyFileProblem::Missing, {}};
    if (privateKey && info.isFile() && (info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)))
        return {KeyFileProblem::ReadableByOthers, {}};
    // A key file is one short line: a larger file is no key, and is not read whole.
    const FileBytes file = readWholeFile(path, kLongestKeyFileBytes);
    switch (file.status) {
    case FileStatus::Ok:
        break;
    case FileStatus::Missing:
        return {KeyFileProblem::Missing, {}};
    case FileStatus::TooLarge:
        return {KeyFileProblem::NotAKey, {}};
    case FileStatus::Unopenable:
    case FileStatus::NotAFile:
        return {KeyFileProblem::Unreadable, {}};
    }
    const std::optional<QByteArray> bytes = keyFileBytes(file.bytes, expectedBytes);
    if (!bytes)
        return {KeyFileProblem::NotAKey, {}};
    return {KeyFileProblem::None, *bytes};
}

// Opens a temporary file for the path, readable and writable by its owner alone when `secret`.
bool openKeyFile(QSaveFile& file, const QByteArray& keyBytes, bool secret)
{
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (secret && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    const QByteArray line = keyFileLine(keyBytes) + '\n';
    return file.write(line) == line.size() && file.flush();
}
} // namespace

TeacherSigningKey TeacherSigningKey::generate()
{
    prepareSodium();
    return *fromSeed(randomBytes(kTeacherSeedBytes));
}

std::optional<TeacherSigningKey> TeacherSigningKey::fromSeed(QByteArrayView seed)
{
    if (seed.size() != kTeacherSeedBytes)
        return std::nullopt;
    prepareSodium();
    TeacherSigningKey key;
    QByteArray publicKey(crypto_sign_PUBLICKEYBYTES, '\0');
    key.m_secret = QByteArray(crypto_sign_SECRETKEYBYTES, '\0');
    crypto_sign_seed_keypair(bytesOf(publicKey), bytesOf(key.m_secret), bytesOf(seed));
    return key;
}

QByteArray TeacherSigningKey::seed() const
{
    return m_secret.first(kTeacherSeedBytes);
}

QByteArray TeacherSigningKey::publicKey() const
{
    return m_secret.sliced(kTeacherSeedBytes);
}

QByteArray TeacherSigningKey::sign(QByteArrayView message) const
{
    QByteArray signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(bytesOf(signature), nullptr, bytesOf(message), quint64(message.size()), bytesOf(m_secret));
    return signature;
}

bool isTeacherSignature(QByteArrayView publicKey, QByteArrayView message, QByteArrayView signature)
{
    if (publicKey.size() != kTeacherPublicKeyBytes || signature.size() != kTeacherSignatureBytes)
        return false;
    prepareSodium();
    return crypto_sign_verify_detached(bytesOf(signature), bytesOf(message), quint64(message.size()),
                                       bytesOf(publicKey)) == 0;
}

QByteArray randomBytes(qsizetype count)
{
    prepareSodium();
    QByteArray bytes(count, '\0');
    randombytes_buf(bytes.data(), size_t(count));
    return bytes;
}

QString keyFingerprint(QByteArrayView publicKey)
{
    prepareSodium();
    QByteArray hash(crypto_generichash_BYTES, '\0'); // 32 bytes: BLAKE2b-256
    crypto_generichash(bytesOf(hash), size_t(hash.size()), bytesOf(publicKey), quint64(publicKey.size()), nullptr, 0);
    const QString hex = QString::fromLatin1(hash.first(8).toHex().toUpper());
    return hex.first(4) + u'-' + hex.sliced(4, 4) + u'-' + hex.sliced(8, 4) + u'-' + hex.sliced(12, 4);
}

QByteArray keyFileLine(QByteArrayView keyBytes)
{
    return keyBytes.toByteArray().toBase64();
}

SigningKeyFile readSigningKeyFile(const QString& path)
{
    const KeyFileText text = readKeyFile(path, kTeacherSeedBytes, true);
    if (text.problem != KeyFileProblem::None)
        return {text.problem, std::nullopt};
    return {KeyFileProblem::None, TeacherSigningKey::fromSeed(text.bytes)};
}

PublicKeyFile readPublicKeyFile(const QString& path)
{
    const KeyFileText text = readKeyFile(path, kTeacherPublicKeyBytes, false);
    return {text.problem, text.bytes};
}

KeyPairWrite writeTeacherKeyPair(const QString& folder, bool replace)
{
    const QString keyPath = QDir(folder).filePath(kTeacherKeyFileName);
    const QString publicPath = QDir(folder).filePath(kTeacherPublicKeyFileName);
    if (!replace && (QFileInfo(keyPath).exists() || QFileInfo(keyPath).isSymLink() || QFileInfo(publicPath).exists() ||
                     QFileInfo(publicPath).isSymLink()))
        return {KeyPairWrite::Status::Exists, {}, {}};
    const TeacherSigningKey key = TeacherSigningKey::generate();
    QSaveFile keyFile(keyPath);
    QSaveFile publicFile(publicPath);
    // Both are written before either is renamed into place: a failure leaves the old files.
    if (!openKeyFile(keyFile, key.seed(), true))
        return {KeyPairWrite::Status::NotWritten, {}, keyFile.errorString()};
    if (!openKeyFile(publicFile, key.publicKey(), false))
        return {KeyPairWrite::Status::NotWritten, {}, publicFile.errorString()};
    if (!keyFile.commit())
        return {KeyPairWrite::Status::NotWritten, {}, keyFile.errorString()};
    if (!publicFile.commit()) {
        // A new private key without its public half would only stand in the way of the next try.
        if (!replace)
            QFile::remove(keyPath);
        return {KeyPairWrite::Status::NotWritten, {}, publicFile.errorString()};
    }
    return {KeyPairWrite::Status::Written, key.publicKey(), {}};
}

} // namespace qh
