#include "form1.h"

#include "about.h"
#include "helplauncher.h"
#include "messagebox.h"
#include "modelist.h"
#include "programinfo.h"
#include "savesettings.h"
#include "twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>

namespace qh::tool {

namespace {

constexpr int kClientWidth = 6600;
constexpr int kClientHeight = 5985;
constexpr int kSlotsPerFrame = 10;

QString frameCaption(int frame)
{
    const int first = (frame - 1) * kSlotsPerFrame + 1;
    return u"%1-%2"_qs.arg(first, 2, 10, QLatin1Char('0')).arg(first + kSlotsPerFrame - 1, 2, 10, QLatin1Char('0'));
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

} // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(u"Form1"_qs);
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
    Form_Load();
}

void Form1::buildControls(QWidget* client)
{
    Label1 = named(new QLabel(u"Masterのポート番号"_qs, client), u"Label1"_qs);
    twips::place(Label1, 240, 120, 1575, 255);
    Text1 = named(new QLineEdit(client), u"Text1"_qs);
    twips::place(Text1, 1920, 120, 615, 270);
    Label3 = named(new QLabel(u"Masterの初期画面表示"_qs, client), u"Label3"_qs);
    twips::place(Label3, 2760, 120, 1815, 255);
    List1 = named(new ModeList(client), u"List1"_qs);
    twips::place(List1, 4680, 120, 1695, 240);
    Label2 = named(new QLabel(u"Childのポート番号"_qs, client), u"Label2"_qs);
    twips::place(Label2, 240, 480, 1575, 255);
    Text2 = named(new QLineEdit(client), u"Text2"_qs);
    twips::place(Text2, 1920, 480, 615, 270);

    // The tab strip is its row of tabs over a panel; the frames lie on top of the panel.
    TabStrip1 = named(new QTabBar(client), u"TabStrip1"_qs);
    TabStrip1->setExpanding(false);
    twips::place(TabStrip1, 240, 1080, 6135, 360);
    m_tabPanel = new QFrame(client);
    m_tabPanel->setFrameShape(QFrame::StyledPanel);
    twips::place(m_tabPanel, 240, 1425, 6135, 3990);
    for (int frame = 1; frame <= 3; ++frame) {
        TabStrip1->addTab(frameCaption(frame));
        Frame1[frame - 1] = named(new QGroupBox(frameCaption(frame), client), arrayName("Frame1", frame));
        twips::place(Frame1[frame - 1], 480, 1440, 5655, 3855);
        Frame1[frame - 1]->setVisible(frame == 1);
    }
    for (int i = 0; i < kSlotCount; ++i)
        buildSlotRow(i);

    Command2 = named(new QPushButton(u"設定"_qs, client), u"Command2"_qs);
    twips::place(Command2, 240, 5520, 1575, 375);
    Command1 = named(new QPushButton(u"終了"_qs, client), u"Command1"_qs);
    twips::place(Command1, 5280, 5520, 1095, 375);
    for (QWidget* caption :
         {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3)})
        fitCaption(caption);

    connect(TabStrip1, &QTabBar::currentChanged, this, &Form1::TabStrip1_Click);
    connect(List1, &ModeList::Scroll, this, &Form1::List1_Scroll);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
}

void Form1::buildSlotRow(int index)
{
    QGroupBox* frame = Frame1[index / kSlotsPerFrame];
    const int top = 240 + 360 * (index % kSlotsPerFrame);
    const QString number = u"%1"_qs.arg(index + 1, 2, 10, QLatin1Char('0'));
    Check1[index] = named(new QCheckBox(u"コンピュータ番号"_qs + number, frame), arrayName("Check1", index));
    twips::place(Check1[index], 120, top, 1815, 255);
    fitCaption(Check1[index]);
    Text3[index] = named(new QLineEdit(frame), arrayName("Text3", index));
    twips::place(Text3[index], 2040, top, 1335, 270);
    List2[index] = named(new ModeList(frame), arrayName("List2", index));
    twips::place(List2[index], 3600, top, 1695, 240);
    connect(List2[index], &ModeList::Scroll, this, [this, index] { List2_Scroll(index); });
}

void Form1::buildMenus()
{
    Menu10 = named(menuBar()->addMenu(u"ﾌｧｲﾙ"_qs), u"Menu10"_qs);
    Menu11 = named(Menu10->addAction(u"終了"_qs), u"Menu11"_qs);
    Menu00 = named(menuBar()->addMenu(u"ヘルプ"_qs), u"Menu00"_qs);
    Menu03 = named(Menu00->addAction(u"ヘルプ"_qs), u"Menu03"_qs);
    Menu01 = named(Menu00->addAction(u"About..."_qs), u"Menu01"_qs);
    // Keep the About item where it is on every platform instead of moving it to an application menu.
    Menu01->setMenuRole(QAction::NoRole);
    connect(Menu11, &QAction::triggered, this, &Form1::Menu11_Click);
    connect(Menu03, &QAction::triggered, this, &Form1::Menu03_Click);
    connect(Menu01, &QAction::triggered, this, &Form1::Menu01_Click);
}

void Form1::setFocusOrder()
{
    QList<QWidget*> order{Text1, Text2, Command1, List1, TabStrip1};
    for (int i = 0; i < kSlotCount; ++i) {
        if (i < kSlotsPerFrame)
            order << List2[i] << Text3[i];
        else
            order << Text3[i] << List2[i];
    }
    order << Command2;
    for (QCheckBox* check : Check1)
        order << check;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

SettingsEntries Form1::entries() const
{
    SettingsEntries entries;
    entries.myHostPortText = Text1->text();
    entries.remotePortText = Text2->text();
    entries.screenModeIndex = List1->modeIndex();
    for (int i = 0; i < kSlotCount; ++i) {
        entries.childSlots[i].checked = Check1[i]->isChecked();
        entries.childSlots[i].name = Text3[i]->text();
        entries.childSlots[i].modeIndex = List2[i]->modeIndex();
    }
    return entries;
}

void Form1::showEntries(const SettingsEntries& entries)
{
    Text1->setText(entries.myHostPortText);
    Text2->setText(entries.remotePortText);
    List1->setModeIndex(entries.screenModeIndex);
    for (int i = 0; i < kSlotCount; ++i) {
        Check1[i]->setChecked(entries.childSlots[i].checked);
        Text3[i]->setText(entries.childSlots[i].name);
        List2[i]->setModeIndex(entries.childSlots[i].modeIndex);
    }
}

void Form1::Form_Load()
{
    // The lists got their two items when they were built; the window starts on the first tab.
    m_currentTab = TabStrip1->currentIndex() + 1;
    const SettingsReadResult read = ReadSettingsFile(kSettingsFileName);
    if (read.status == ReadStatus::Missing)
        showMessage(u"INIファイルがありません"_qs, ownMessageTitle());
    if (read.status != ReadStatus::Ok)
        return;
    showEntries(entriesFromSettings(read.settings));
}

void Form1::TabStrip1_Click()
{
    const int selected = TabStrip1->currentIndex() + 1;
    if (selected == m_currentTab || selected < 1)
        return;
    Frame1[selected - 1]->show();
    Frame1[m_currentTab - 1]->hide();
    m_currentTab = selected;
}

void Form1::List1_Scroll()
{
    List1->setModeIndex(steppedModeIndex(List1->modeIndex()));
}

void Form1::List2_Scroll(int index)
{
    List2[index]->setModeIndex(steppedModeIndex(List2[index]->modeIndex()));
}

void Form1::Command1_Click()
{
    // Ends the program at once: every other window, an open About box included, goes with it.
    QApplication::exit(0);
}

void Form1::Command2_Click()
{
    const SaveResult result = saveSettings(entries());
    if (!result.message.isEmpty())
        showMessage(result.message, ownMessageTitle());
}

void Form1::Menu11_Click()
{
    // Closes this window only; the program ends when its last window has closed.
    close();
}

void Form1::Menu03_Click()
{
    // Whether the viewer started or finds the file is not the tool's affair: nothing is shown.
    startHelpViewer();
}

void Form1::Menu01_Click()
{
    showAbout();
}

} // namespace qh::tool
