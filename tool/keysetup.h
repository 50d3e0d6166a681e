#pragma once

#include <QString>
#include <QStringList>

// The settings tool's menu item for the teacher's key: what it says about the key in the working
// folder (its fingerprint, to compare with what each child shows, or what is wrong with it), and
// the making of a new pair, never over an existing key unless the user chose so.
namespace qh::tool {

struct KeySetup {
    QString text;          // the question to ask
    QStringList answers;   // the first is the default
    int makeAnswer = 0;    // the answer that makes a new pair
    bool replaces = false; // that pair replaces a key that is there
};

KeySetup keySetup(const QString& folder);
// Makes the pair the setup offered; the message to show after it.
QString makeKeyPair(const QString& folder, bool replace);

} // namespace qh::tool
