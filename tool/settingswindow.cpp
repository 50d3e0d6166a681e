#include "tool/settingswindow.h"

#include "common/aboutbox.h"
#include "common/messages.h"
#include "common/messagetexts.h"
#include "common/programinfo.h"
#include "common/twips.h"
#include "tool/connectioncheckwindow.h"
#include "tool/helplauncher.h"
#include "tool/keysetup.h"
#include "tool/modelist.h"
#include "tool/savesettings.h"
#include "tool/toolmessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::tool {

namespace {

constexpr int kClientWidth = 6600;
constexpr int kClientHeight = 5985;
constexpr int kSlotsPerFrame = 10;

QString frameCaption(int frame)
{
    const int first = (frame - 1) * kSlotsPerFrame + 1;
    return u"%1-%2"_s.arg(first, 2, 10, QLatin1Char('0')).arg(first + kSlotsPerFrame - 1, 2, 10, QLatin1Char('0'));
}

template <typename Widget> Widget* named(Widget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// The captions were laid out for a narrow 9-point system font; with a wider font a caption that
// would be cut off gets a slightly smaller font instead, so that the places stay as laid out.
void fitCaption(QWidget* widget)
{
    QFont font = widget->font();
    while (widget->sizeHint().width() > widget->width() && font.pointSizeF() > 6.0) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        widget->setFont(font);
    }
}

QString arrayName(const char* control, int index)
{
    return QLatin1String(control) + u'_' + QString::number(index);
}

// One step of a screen-mode list's scroll bar flips its selection.
void stepModeList(ModeList* list)
{
    list->setModeIndex(steppedModeIndex(list->modeIndex()));
}

} // namespace

SettingsWindow::SettingsWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(kToolTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont windowFont = font();
    windowFont.setPointSize(9);
    setFont(windowFont);
    auto* client = new QWidget(this); // owned by the window as its central widget
    setCentralWidget(client);
    buildControls(client);
    buildMenus();
    setFocusOrder();
    resize(twips::sizeToPixels(kClientWidth, kClientHeight) + QSize(0, menuBar()->sizeHint().height()));
    load();
}

void SettingsWindow::buildControls(QWidget* client)
{
    m_masterPortLabel = named(new QLabel(kMasterPortCaption, client), u"Label1"_s);
    twips::place(m_masterPortLabel, 240, 120, 1575, 255);
    m_masterPortEdit = named(new QLineEdit(client), u"Text1"_s);
    twips::place(m_masterPortEdit, 1920, 120, 615, 270);
    m_masterModeLabel = named(new QLabel(u"Masterの初期画面表示"_s, client), u"Label3"_s);
    twips::place(m_masterModeLabel, 2760, 120, 1815, 255);
    m_masterModeList = named(new ModeList(client), u"List1"_s);
    twips::place(m_masterModeList, 4680, 120, 1695, 240);
    m_childPortLabel = named(new QLabel(kChildPortCaption, client), u"Label2"_s);
    twips::place(m_childPortLabel, 240, 480, 1575, 255);
    m_childPortEdit = named(new QLineEdit(client), u"Text2"_s);
    twips::place(m_childPortEdit, 1920, 480, 615, 270);

    // The tab strip is its row of tabs over a panel; the frames lie on top of the panel.
    m_slotTabs = named(new QTabBar(client), u"TabStrip1"_s);
    m_slotTabs->setExpanding(false);
    twips::place(m_slotTabs, 240, 1080, 6135, 360);
    m_tabPanel = new QFrame(client);
    m_tabPanel->setFrameShape(QFrame::StyledPanel);
    twips::place(m_tabPanel, 240, 1425, 6135, 3990);
    for (int frame = 1; frame <= 3; ++frame) {
        m_slotTabs->addTab(frameCaption(frame));
        m_slotFrames[frame - 1] = named(new QGroupBox(frameCaption(frame), client), arrayName("Frame1", frame));
        twips::place(m_slotFrames[frame - 1], 480, 1440, 5655, 3855);
        m_slotFrames[frame - 1]->setVisible(frame == 1);
    }
    for (int i = 0; i < kSlotCount; ++i)
        buildSlotRow(i);

    m_saveButton = named(new QPushButton(u"設定"_s, client), u"Command2"_s);
    twips::place(m_saveButton, 240, 5520, 1575, 375);
    // In the free space of the bottom row, beside "設定", as wide and as high.
    m_checkButton = named(new QPushButton(u"接続確認"_s, client), u"Command3"_s);
    twips::place(m_checkButton, 1920, 5520, 1575, 375);
    m_quitButton = named(new QPushButton(u"終了"_s, client), u"Command1"_s);
    twips::place(m_quitButton, 5280, 5520, 1095, 375);
    for (QWidget* caption : {static_cast<QWidget*>(m_masterPortLabel), static_cast<QWidget*>(m_childPortLabel),
                             static_cast<QWidget*>(m_masterModeLabel)})
        fitCaption(caption);

    connect(m_slotTabs, &QTabBar::currentChanged, this, &SettingsWindow::showChosenTab);
    connect(m_masterModeList, &ModeList::stepped, this, [this] { stepModeList(m_masterModeList); });
    connect(m_quitButton, &QPushButton::clicked, this, &SettingsWindow::quitProgram);
    connect(m_saveButton, &QPushButton::clicked, this, &SettingsWindow::save);
    connect(m_checkButton, &QPushButton::clicked, this, &SettingsWindow::checkConnections);
}

void SettingsWindow::buildSlotRow(int index)
{
    QGroupBox* frame = m_slotFrames[index / kSlotsPerFrame];
    const int top = 240 + 360 * (index % kSlotsPerFrame);
    m_inUseBoxes[index] =
        named(new QCheckBox(u"コンピュータ番号"_s + slotNumberText(index), frame), arrayName("Check1", index));
    twips::place(m_inUseBoxes[index], 120, top, 1815, 255);
    fitCaption(m_inUseBoxes[index]);
    m_nameEdits[index] = named(new QLineEdit(frame), arrayName("Text3", index));
    twips::place(m_nameEdits[index], 2040, top, 1335, 270);
    ModeList* modeList = named(new ModeList(frame), arrayName("List2", index));
    m_modeLists[index] = modeList;
    twips::place(modeList, 3600, top, 1695, 240);
    connect(modeList, &ModeList::stepped, this, [modeList] { stepModeList(modeList); });
}

void SettingsWindow::buildMenus()
{
    QMenu* fileMenu = named(menuBar()->addMenu(u"ﾌｧｲﾙ"_s), u"Menu10"_s);
    QAction* checkAction = named(fileMenu->addAction(u"接続確認"_s), u"Menu12"_s);
    QAction* lessonAction = named(fileMenu->addAction(u"URLリストの編集..."_s), u"Menu13"_s);
    QAction* keyAction = named(fileMenu->addAction(u"先生の鍵..."_s), u"Menu14"_s);
    // The menu's "終了" closes this window only; the program ends when its last window has closed.
    QAction* closeAction = named(fileMenu->addAction(u"終了"_s), u"Menu11"_s);
    QMenu* helpMenu = named(menuBar()->addMenu(u"ヘルプ"_s), u"Menu00"_s);
    QAction* helpAction = named(helpMenu->addAction(u"ヘルプ"_s), u"Menu03"_s);
    QAction* aboutAction = named(helpMenu->addAction(u"About..."_s), u"Menu01"_s);
    // Keep the About item where it is on every platform instead of moving it to an application menu.
    aboutAction->setMenuRole(QAction::NoRole);
    connect(checkAction, &QAction::triggered, this, &SettingsWindow::checkConnections);
    connect(lessonAction, &QAction::triggered, this, &SettingsWindow::editLessons);
    connect(keyAction, &QAction::triggered, this, &SettingsWindow::setUpTeacherKey);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    connect(helpAction, &QAction::triggered, this, &SettingsWindow::showHelp);
    connect(aboutAction, &QAction::triggered, this, &showAboutBox);
}

void SettingsWindow::setFocusOrder()
{
    QList<QWidget*> order{m_masterPortEdit, m_childPortEdit, m_quitButton, m_masterModeList, m_slotTabs};
    for (int i = 0; i < kSlotCount; ++i) {
        if (i < kSlotsPerFrame)
            order << m_modeLists[i] << m_nameEdits[i];
        else
            order << m_nameEdits[i] << m_modeLists[i];
    }
    order << m_saveButton << m_checkButton;
    for (QCheckBox* check : m_inUseBoxes)
        order << check;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

SettingsEntries SettingsWindow::entries() const
{
    SettingsEntries entries;
    entries.masterPortText = m_masterPortEdit->text();
    entries.childPortText = m_childPortEdit->text();
    entries.screenModeIndex = m_masterModeList->modeIndex();
    for (int i = 0; i < kSlotCount; ++i) {
        entries.childSlots[i].checked = m_inUseBoxes[i]->isChecked();
        entries.childSlots[i].name = m_nameEdits[i]->text();
        entries.childSlots[i].modeIndex = m_modeLists[i]->modeIndex();
    }
    return entries;
}

void SettingsWindow::showEntries(const SettingsEntries& entries)
{
    m_masterPortEdit->setText(entries.masterPortText);
    m_childPortEdit->setText(entries.childPortText);
    m_masterModeList->setModeIndex(entries.screenModeIndex);
    for (int i = 0; i < kSlotCount; ++i) {
        m_inUseBoxes[i]->setChecked(entries.childSlots[i].checked);
        m_nameEdits[i]->setText(entries.childSlots[i].name);
        m_modeLists[i]->setModeIndex(entries.childSlots[i].modeIndex);
    }
}

void SettingsWindow::load()
{
    // The lists got their two items when they were built; the window starts on the first tab.
    m_shownFrame = std::max(m_slotTabs->currentIndex(), 0);
    const SettingsReadResult read = readSettingsFile(kSettingsFileName);
    if (const QString problem = settingsFileProblemText(read.status); !problem.isEmpty())
        showMessage(problem, kOwnMessageTitle);
    if (read.status != FileStatus::Ok)
        return;
    showEntries(entriesFromSettings(read.settings));
}

void SettingsWindow::showChosenTab()
{
    const int chosen = m_slotTabs->currentIndex();
    if (chosen == m_shownFrame || chosen < 0)
        return;
    m_slotFrames[chosen]->show();
    m_slotFrames[m_shownFrame]->hide();
    m_shownFrame = chosen;
}

void SettingsWindow::quitProgram()
{
    // Ends the program at once: every other window, an open About box included, goes with it.
    QApplication::exit(0);
}

void SettingsWindow::save()
{
    const SaveResult result = saveSettings(entries());
    if (!result.message.isEmpty())
        showMessage(result.message, kOwnMessageTitle);
}

void SettingsWindow::checkConnections()
{
    if (m_checkWindow)
        m_checkWindow->close();
    m_checkWindow = new ConnectionCheckWindow(entries(), this); // deletes itself when closed
    m_checkWindow->show();
    m_checkWindow->raise();
}

void SettingsWindow::editLessons()
{
    if (!startLessonEditor())
        showMessage(u"%1を起動できません。"_s.arg(kLessonEditorName), kOwnMessageTitle);
}

void SettingsWindow::setUpTeacherKey()
{
    const QString folder = QDir::currentPath();
    const KeySetup setup = keySetup(folder);
    if (askQuestion(setup.text, setup.answers, kOwnMessageTitle) == setup.makeAnswer)
        showMessage(makeKeyPair(folder, setup.replaces), kOwnMessageTitle);
}

void SettingsWindow::showHelp()
{
    // Whether the viewer started or finds the file is not the tool's affair: nothing is shown.
    startHelpViewer();
}

} // namespace qh::tool
