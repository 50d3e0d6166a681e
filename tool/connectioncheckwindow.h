#pragma once

#include "common/computernames.h"
#include "tool/settingsentries.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace qh::tool {

// The connection check's window: for the values the settings window held when it was asked, one
// row per slot with a name (or ticked without one): its number, its name, the IPv4 address the
// presenter would send to or why none, and its warnings; the ports' warnings above. All names are
// looked up at once and each answer is shown as it comes, while the windows stay usable. Nothing is
// sent and nothing is written. It deletes itself when closed, also while names are still being
// looked up: their answers are then dropped.
class ConnectionCheckWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ConnectionCheckWindow(const SettingsEntries& entries, QWidget* parent = nullptr);

    // Whether names are still being looked up.
    bool isChecking() const;

private:
    void nameAnswered(const QString& name, const ComputerAddress& address);
    void showReport();

    SettingsEntries m_entries;
    QHash<QString, ComputerAddress> m_answers;
    qsizetype m_lookups = 0;
    ComputerNameLookup* m_lookup = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_portWarnings = nullptr;
    QTableWidget* m_table = nullptr;
    QPushButton* m_closeButton = nullptr;
};

} // namespace qh::tool
