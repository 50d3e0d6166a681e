#pragma once

#include "common/computernames.h"
#include "tool/settingsentries.h"
#include "tool/toolmessages.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The connection check (接続確認) of the settings tool: what the presenter would make of the values
// in the window once they are saved, so that a teacher sees the day before what would go wrong in
// the lesson. Names are judged as the presenter reads them back from the file and looks them up.
namespace qh::tool {

using namespace Qt::StringLiterals;

// One row of the check: a slot with a name, or a ticked slot without one.
struct SlotCheck {
    int index = 0; // 0..29
    QString name;  // as typed
    // The IPv4 address the presenter would send to, why there is none, or kCheckingText.
    QString destination;
    QStringList warnings;
};

struct ConnectionReport {
    QStringList portWarnings;
    QList<SlotCheck> slotChecks; // in slot order
};

// The names the check asks the name service for: each slot's name as the presenter would read it
// back, where it is neither an address in text form nor left out (no computer, or a name the file
// cannot store). Each name once.
QStringList namesToLookUp(const SettingsEntries& entries);

// The check of the window's values with the answers the name service has given so far. A name
// without an answer yet is shown as being checked and warns of nothing yet.
ConnectionReport checkConnections(const SettingsEntries& entries, const QHash<QString, ComputerAddress>& answers);

} // namespace qh::tool
