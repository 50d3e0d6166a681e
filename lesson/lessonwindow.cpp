#include "lesson/lessonwindow.h"

#include "common/messages.h"
#include "common/pagetitles.h"
#include "lesson/addressinput.h"
#include "lesson/entrytable.h"
#include "lesson/lessonmessages.h"
#include "lesson/pagecheck.h"
#include "lesson/webprobe.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace qh::lesson {

namespace {
QPushButton* button(const QString& caption, const QString& name, QWidget* parent)
{
    auto* made = new QPushButton(caption, parent); // owned by the parent
    made->setObjectName(name);
    return made;
}
} // namespace

LessonWindow::LessonWindow(const QString& fileName, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(u"LessonWindow"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    buildControls();
    LessonModel& model = m_document.model();
    connect(&m_document, &LessonDocument::fileNameChanged, this, &LessonWindow::showState);
    connect(&model, &LessonModel::modifiedChanged, this, &LessonWindow::showState);
    connect(&model, &QAbstractItemModel::rowsInserted, this, &LessonWindow::showState);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, &LessonWindow::showState);
    // Shown once the drop that found them has ended.
    connect(
        &model, &LessonModel::importProblems, this,
        [](const QStringList& problems) { showMessage(problems.join(u'\n')); }, Qt::QueuedConnection);
    resize(900, 600);
    // What the first opening has to say comes once the window is on screen, in front of it.
    const LessonDocument::Result opened = m_document.open(fileName);
    showState();
    if (!opened.message.isEmpty())
        QMetaObject::invokeMethod(
            this, [message = opened.message] { showMessage(message); }, Qt::QueuedConnection);
}

LessonWindow::~LessonWindow() = default;

void LessonWindow::buildControls()
{
    auto* client = new QWidget(this); // the window's central widget
    setCentralWidget(client);
    m_newButton = button(kNewText, u"newButton"_s, client);
    m_openButton = button(kOpenText, u"openButton"_s, client);
    m_saveButton = button(kSaveText, u"saveButton"_s, client);
    m_checkButton = button(kCheckText, u"checkButton"_s, client);
    m_removeButton = button(kRemoveText, u"removeButton"_s, client);
    m_upButton = button(kUpText, u"upButton"_s, client);
    m_downButton = button(kDownText, u"downButton"_s, client);
    m_addButton = button(kAddText, u"addButton"_s, client);
    m_cancelButton = button(kCancelCheckText, u"cancelCheckButton"_s, client);
    m_table = new EntryTable(m_document.model(), client);
    m_table->setObjectName(u"entryTable"_s);
    m_input = new AddressInput(client);
    m_input->setObjectName(u"addressInput"_s);
    m_input->setPlaceholderText(kAddressPlaceholder);
    m_progress = new QProgressBar(client);
    m_progress->setObjectName(u"checkProgress"_s);
    m_progress->setFormat(u"%v/%m"_s);
    m_status = new QLabel(this);
    m_status->setObjectName(u"status"_s);
    statusBar()->addWidget(m_status, 1);

    auto* fileRow = new QHBoxLayout;
    for (QPushButton* fileButton : {m_newButton, m_openButton, m_saveButton})
        fileRow->addWidget(fileButton);
    fileRow->addStretch();
    fileRow->addWidget(m_checkButton);
    auto* rowButtons = new QVBoxLayout;
    for (QPushButton* rowButton : {m_removeButton, m_upButton, m_downButton})
        rowButtons->addWidget(rowButton);
    rowButtons->addStretch();
    auto* grid = new QGridLayout(client);
    grid->addLayout(fileRow, 0, 0, 1, 2);
    grid->addWidget(m_table, 1, 0);
    grid->addLayout(rowButtons, 1, 1);
    grid->addWidget(m_input, 2, 0);
    grid->addWidget(m_addButton, 2, 1, Qt::AlignTop);
    grid->addWidget(m_progress, 3, 0);
    grid->addWidget(m_cancelButton, 3, 1);
    m_progress->hide();
    m_cancelButton->hide();

    connect(m_newButton, &QPushButton::clicked, this, &LessonWindow::startNew);
    connect(m_openButton, &QPushButton::clicked, this, &LessonWindow::chooseAndOpen);
    connect(m_saveButton, &QPushButton::clicked, this, &LessonWindow::save);
    connect(m_checkButton, &QPushButton::clicked, this, &LessonWindow::startCheck);
    connect(m_addButton, &QPushButton::clicked, this, &LessonWindow::addFromInput);
    connect(m_input, &AddressInput::submitted, this, &LessonWindow::addFromInput);
    connect(m_removeButton, &QPushButton::clicked, this, &LessonWindow::removeChosen);
    connect(m_table, &EntryTable::removeRequested, this, &LessonWindow::removeChosen);
    connect(m_upButton, &QPushButton::clicked, this, [this] { stepChosen(-1); });
    connect(m_downButton, &QPushButton::clicked, this, [this] { stepChosen(1); });
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &LessonWindow::save);
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, &LessonWindow::chooseAndOpen);
    connect(new QShortcut(QKeySequence::New, this), &QShortcut::activated, this, &LessonWindow::startNew);
}

void LessonWindow::open(const QString& fileName)
{
    if (m_check)
        m_check->cancel();
    const LessonDocument::Result result = m_document.open(fileName);
    m_checkStatus.clear();
    showState();
    if (!result.message.isEmpty())
        showMessage(result.message);
}

void LessonWindow::chooseAndOpen()
{
    if (!mayLeave())
        return;
    const QString fileName = QFileDialog::getOpenFileName(this, kOpenDialogTitle, QDir::currentPath(), kListFileFilter);
    if (!fileName.isEmpty())
        open(fileName);
}

void LessonWindow::startNew()
{
    if (!mayLeave())
        return;
    if (m_check)
        m_check->cancel();
    m_document.startNew();
    m_checkStatus.clear();
    showState();
}

bool LessonWindow::save()
{
    QString fileName = m_document.fileName();
    if (fileName.isEmpty()) {
        fileName = QFileDialog::getSaveFileName(this, kSaveDialogTitle, QDir::currentPath(), kListFileFilter);
        if (fileName.isEmpty())
            return false;
        // The presenter's list chooser lists the .txt files of the class folder.
        if (QFileInfo(fileName).suffix().isEmpty())
            fileName += u".txt"_s;
    }
    if (m_document.dropsEntries() &&
        askQuestion(truncatedSaveQuestionText(m_document.displayName(), kMaxUrlListEntries),
                    {kSaveAnswer, kCancelAnswer}) != 0)
        return false;
    const LessonDocument::Result result = m_document.saveAs(fileName);
    if (!result.message.isEmpty())
        showMessage(result.message);
    if (result.refusedRow >= 0)
        m_table->chooseRows({result.refusedRow});
    return result.ok;
}

bool LessonWindow::mayLeave()
{
    if (!m_document.model().isModified())
        return true;
    const int answer =
        askQuestion(unsavedChangesText(m_document.displayName()), {kSaveAnswer, kDiscardAnswer, kCancelAnswer});
    if (answer == 0)
        return save();
    return answer == 1;
}

void LessonWindow::closeEvent(QCloseEvent* event)
{
    if (!mayLeave()) {
        event->ignore();
        return;
    }
    if (m_check)
        m_check->cancel();
    event->accept();
}

void LessonWindow::dragEnterEvent(QDragEnterEvent* event)
{
    // Always a copy: a file manager removes a file whose drop was taken as a move.
    if ((event->mimeData()->hasUrls() || event->mimeData()->hasText()) && (event->possibleActions() & Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void LessonWindow::dropEvent(QDropEvent* event)
{
    // Dropped anywhere but on the table: added after the current row.
    m_document.model().dropMimeData(event->mimeData(), Qt::CopyAction, insertionRow(), 0, {});
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

int LessonWindow::insertionRow() const
{
    const QModelIndex current = m_table->currentIndex();
    return current.isValid() ? current.row() + 1 : m_document.model().rowCount();
}

void LessonWindow::addFromInput()
{
    LinkImport typed{linksFromText(m_input->toPlainText()), {}, false};
    refuseTooLong(typed);
    // Nothing typed adds an empty entry: a blank page on purpose.
    if (typed.links.isEmpty() && typed.problems.isEmpty())
        typed.links.append(ImportedLink{});
    const int row = insertionRow();
    const int added = m_document.model().insertLinks(row, typed.links);
    if (added < typed.links.size())
        typed.problems.append(listFullText());
    if (!typed.problems.isEmpty())
        showMessage(typed.problems.join(u'\n'));
    if (added == 0)
        return;
    QList<int> rows;
    for (int i = 0; i < added; ++i)
        rows.append(row + i);
    m_table->chooseRows(rows);
    m_input->clear();
}

void LessonWindow::removeChosen()
{
    const QList<int> rows = m_table->chosenRows();
    if (rows.isEmpty())
        return;
    m_document.model().removeEntries(rows);
    const int next = std::min(rows.front(), m_document.model().rowCount() - 1);
    m_table->chooseRows(next >= 0 ? QList<int>{next} : QList<int>{});
}

void LessonWindow::stepChosen(int step)
{
    m_table->chooseRows(m_document.model().stepEntries(m_table->chosenRows(), step));
}

void LessonWindow::startCheck()
{
    if (!m_check) {
        m_browser = std::make_unique<HiddenBrowser>();
        m_check = std::make_unique<PageCheck>(m_browser->probes());
        LessonModel& model = m_document.model();
        connect(m_check.get(), &PageCheck::checking, &model, &LessonModel::setChecking);
        connect(m_check.get(), &PageCheck::checked, this, [this](const QString& entry, const PageOutcome& outcome) {
            m_document.model().setOutcome(entry, outcome);
            if (outcome.kind == PageOutcome::Kind::Loaded)
                m_learnedTitles.append({entry, outcome.title});
        });
        connect(m_check.get(), &PageCheck::progressed, this, [this](int done, int total) {
            m_progress->setRange(0, std::max(total, 1));
            m_progress->setValue(done);
            m_checkStatus = checkProgressText(done, total);
            showState();
        });
        connect(m_check.get(), &PageCheck::finished, this, &LessonWindow::checkFinished);
        connect(m_cancelButton, &QPushButton::clicked, m_check.get(), &PageCheck::cancel);
    }
    m_document.model().clearOutcomes();
    m_learnedTitles.clear();
    m_progress->show();
    m_cancelButton->show();
    m_checkButton->setEnabled(false);
    m_check->start(m_document.model().entries());
}

void LessonWindow::checkFinished(bool cancelled)
{
    m_progress->hide();
    m_cancelButton->hide();
    m_checkButton->setEnabled(true);
    if (cancelled)
        m_document.model().stopChecking(); // what was found so far stays
    m_checkStatus = cancelled ? kCheckCancelledText : checkFinishedText(m_document.model().problemRows());
    showState();
    if (m_learnedTitles.isEmpty())
        return;
    // The titles are kept for the next opening and for the presenter's list chooser.
    PageTitles titles = PageTitles::load();
    for (const auto& [entry, title] : std::as_const(m_learnedTitles))
        titles.remember(entry, title);
    titles.save();
    m_learnedTitles.clear();
}

void LessonWindow::showState()
{
    setWindowTitle(lessonCaption(m_document.displayName()));
    QStringList parts{entryCountText(m_document.model().rowCount())};
    if (m_document.model().isModified())
        parts.append(kModifiedText);
    else if (m_document.isNewFile() && !m_document.fileName().isEmpty())
        parts.append(kNewFileText);
    if (!m_checkStatus.isEmpty())
        parts.append(m_checkStatus);
    m_status->setText(parts.join(u"　"_s));
}

} // namespace qh::lesson
