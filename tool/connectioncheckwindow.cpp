#include "tool/connectioncheckwindow.h"

#include "common/programinfo.h"
#include "tool/connectioncheck.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::tool {

namespace {
enum Column { NumberColumn, NameColumn, DestinationColumn, WarningColumn, ColumnCount };

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text); // owned by the table once set
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}
} // namespace

ConnectionCheckWindow::ConnectionCheckWindow(const SettingsEntries& entries, QWidget* parent)
    : QWidget(parent, Qt::Window), m_entries(entries), m_lookup(new ComputerNameLookup(this))
{
    setObjectName(u"ConnectionCheck"_s);
    setWindowTitle(kToolTitle + u" 接続確認"_s);
    setAttribute(Qt::WA_DeleteOnClose);

    m_status = new QLabel(this);
    m_status->setObjectName(u"status"_s);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"progress"_s);
    m_portWarnings = new QLabel(this);
    m_portWarnings->setTextFormat(Qt::PlainText); // it quotes the ports as typed or read from the file
    m_portWarnings->setObjectName(u"portWarnings"_s);
    m_portWarnings->setWordWrap(true);
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(u"slotChecks"_s);
    m_table->setHorizontalHeaderLabels({u"番号"_s, u"コンピュータ名"_s, u"IPアドレス"_s, u"警告"_s});
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setWordWrap(true);
    m_closeButton = new QPushButton(u"閉じる"_s, this);
    m_closeButton->setObjectName(u"closeButton"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addWidget(m_portWarnings);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(640, 440);

    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_lookup, &ComputerNameLookup::answered, this, &ConnectionCheckWindow::nameAnswered);
    const QStringList names = namesToLookUp(m_entries);
    m_lookups = names.size();
    // Names answered of the names to look up; with none to look up there is no progress to show
    // (and an empty range would show a bar that seems busy).
    m_progress->setRange(0, int(std::max<qsizetype>(m_lookups, 1)));
    m_progress->setFormat(u"%v/%m"_s);
    m_progress->setVisible(m_lookups > 0);
    m_lookup->start(names);
    showReport();
}

bool ConnectionCheckWindow::isChecking() const
{
    return m_answers.size() < m_lookups;
}

void ConnectionCheckWindow::nameAnswered(const QString& name, const ComputerAddress& address)
{
    m_answers.insert(name, address);
    showReport();
}

void ConnectionCheckWindow::showReport()
{
    const ConnectionReport report = checkConnections(m_entries, m_answers);
    m_progress->setValue(int(m_answers.size()));
    qsizetype warnings = report.portWarnings.size();
    m_table->setRowCount(int(report.slotChecks.size()));
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const SlotCheck& check = report.slotChecks[row];
        warnings += check.warnings.size();
        m_table->setItem(row, NumberColumn, cell(slotNumberText(check.index)));
        m_table->setItem(row, NameColumn, cell(check.name));
        m_table->setItem(row, DestinationColumn, cell(check.destination));
        m_table->setItem(row, WarningColumn, cell(check.warnings.join(u'\n')));
    }
    m_table->resizeRowsToContents();
    m_portWarnings->setText(report.portWarnings.join(u'\n'));
    m_portWarnings->setVisible(!report.portWarnings.isEmpty());
    m_status->setText(isChecking() ? checkingStatusText(m_answers.size(), m_lookups) : checkDoneText(warnings));
}

} // namespace qh::tool
