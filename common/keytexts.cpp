#include "common/keytexts.h"

using namespace Qt::StringLiterals;

namespace qh {

QString keyFileProblemText(const QString& path, KeyFileProblem problem)
{
    switch (problem) {
    case KeyFileProblem::None:
        break;
    case KeyFileProblem::Missing:
        return u"先生の鍵のファイル%1がありません。"_s.arg(path);
    case KeyFileProblem::Unreadable:
        return u"先生の鍵のファイル%1を読めません。"_s.arg(path);
    case KeyFileProblem::ReadableByOthers:
        return u"先生の鍵のファイル%1はほかの人にも読めるため使いません"
               u"（chmod 600 %1 で持ち主だけが読めるようにしてください）。"_s.arg(path);
    case KeyFileProblem::NotAKey:
        return u"先生の鍵のファイル%1は鍵ではありません（壊れているか、途中で切れています）。"_s.arg(path);
    }
    return {};
}

QString fingerprintText(QByteArrayView publicKey)
{
    return u"先生の鍵の指紋: "_s + keyFingerprint(publicKey);
}

QString keyPairExistsText(const QString& folder)
{
    return u"%1には先生の鍵（%2、%3）がすでにあります。鍵は作り直しませんでした。"_s.arg(folder, kTeacherKeyFileName,
                                                                                         kTeacherPublicKeyFileName);
}

QString keyPairNotWrittenText(const QString& folder, const QString& error)
{
    return u"%1に先生の鍵を書けません（%2）。"_s.arg(folder, error);
}

} // namespace qh
