#pragma once

#include "common/teacherkey.h"

#include <QString>

// What the programs say about the teacher's key: the settings tool, the launcher, the presenter and
// the child name its files and show its fingerprint in the same words.
namespace qh {

// Why the key file at the path cannot be used; empty for KeyFileProblem::None.
QString keyFileProblemText(const QString& path, KeyFileProblem problem);

// "先生の鍵の指紋: 1A2B-3C4D-5E6F-7081", the line to compare between computers.
QString fingerprintText(QByteArrayView publicKey);

// The key files are there already and were left as they are.
QString keyPairExistsText(const QString& folder);
QString keyPairNotWrittenText(const QString& folder, const QString& error);

} // namespace qh
