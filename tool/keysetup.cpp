#include "tool/keysetup.h"

#include "common/keytexts.h"
#include "common/teacherkey.h"
#include "tool/toolmessages.h"

#include <QDir>

namespace qh::tool {

KeySetup keySetup(const QString& folder)
{
    const QDir here(folder);
    const SigningKeyFile key = readSigningKeyFile(here.filePath(kTeacherKeyFileName));
    const PublicKeyFile publicKey = readPublicKeyFile(here.filePath(kTeacherPublicKeyFileName));
    if (key.problem == KeyFileProblem::Missing && publicKey.problem == KeyFileProblem::Missing)
        return {noKeyText(), {kMakeKeyAnswer, kCancelKeyAnswer}, 0, false};
    QString state;
    if (key.key) {
        state = fingerprintText(key.key->publicKey());
        if (publicKey.publicKey != key.key->publicKey())
            state += u'\n' + publicKeyMismatchText(kTeacherPublicKeyFileName);
    } else {
        state = keyFileProblemText(kTeacherKeyFileName, key.problem);
    }
    return {keyStateText(state), {kCloseKeyAnswer, kRemakeKeyAnswer}, 1, true};
}

QString makeKeyPair(const QString& folder, bool replace)
{
    const KeyPairWrite written = writeTeacherKeyPair(folder, replace);
    switch (written.status) {
    case KeyPairWrite::Status::Written:
        return keyMadeText(fingerprintText(written.publicKey));
    case KeyPairWrite::Status::Exists:
        return keyPairExistsText(folder);
    case KeyPairWrite::Status::NotWritten:
        break;
    }
    return keyPairNotWrittenText(folder, written.error);
}

} // namespace qh::tool
