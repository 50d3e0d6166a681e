#include "packaging/lessonchooser.h"

#include "common/pagetitles.h"
#include "common/programicons.h"
#include "common/tooltiptext.h"
#include "packaging/launchermessages.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace qh::launcher {

LessonChooser::LessonChooser(const QList<LessonList>& lists, QWidget* parent) : QDialog(parent)
{
    setObjectName(u"LessonChooser"_s);
    setWindowTitle(kChooserTitle);
    setWindowIcon(presenterIcon());
    auto* prompt = new QLabel(kChooserPrompt, this);
    m_lists = new QTreeWidget(this);
    m_lists->setObjectName(u"lessonLists"_s);
    m_lists->setRootIsDecorated(false);
    m_lists->setAllColumnsShowFocus(true);
    m_lists->setHeaderLabels({kListNameHeader, kPagesHeader, kFirstPageHeader, kLastChangedHeader});
    for (const LessonList& list : lists) {
        auto* row = new QTreeWidgetItem(m_lists); // owned by the tree
        row->setText(0, list.fileName);
        row->setText(1, pagesText(list.pages));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        row->setText(2, list.firstPage);
        row->setToolTip(2, toolTipText(list.firstPage)); // a page's title: never rendered as markup
        row->setText(3, lastChangedText(list.lastChanged));
    }
    m_lists->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_lists->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_lists->header()->setStretchLastSection(false);
    if (m_lists->topLevelItemCount() > 0)
        m_lists->setCurrentItem(m_lists->topLevelItem(0));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* start = buttons->addButton(kStartText, QDialogButtonBox::AcceptRole);
    start->setObjectName(u"startButton"_s);
    start->setDefault(true);
    buttons->addButton(kCancelText, QDialogButtonBox::RejectRole)->setObjectName(u"cancelButton"_s);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_lists, 1);
    layout->addWidget(buttons);
    resize(640, 320);
    m_lists->setFocus();

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_lists, &QTreeWidget::itemActivated, this, &QDialog::accept);
}

QString LessonChooser::chosenList() const
{
    const QTreeWidgetItem* current = m_lists->currentItem();
    return current ? current->text(0) : QString();
}

std::optional<QString> pickLessonList(const QString& folder)
{
    const QList<LessonList> lists = findLessonLists(folder, readLastPicked(), PageTitles::load());
    if (lists.size() <= 1)
        return lists.isEmpty() ? QString() : lists.front().fileName;
    LessonChooser chooser(lists);
    if (chooser.exec() != QDialog::Accepted || chooser.chosenList().isEmpty())
        return std::nullopt;
    rememberPicked(QDir(folder).absoluteFilePath(chooser.chosenList()));
    return chooser.chosenList();
}

} // namespace qh::launcher
