#include "master/panelwindow.h"

#include "common/aboutbox.h"
#include "common/bgrcolor.h"
#include "common/tooltiptext.h"
#include "common/twips.h"
#include "master/clicklabel.h"
#include "master/followstyle.h"
#include "master/pointermenu.h"

#include <QCloseEvent>
#include <QMenuBar>

using namespace Qt::StringLiterals;

namespace qh::master {

namespace {
// The twips rectangle of a slot's label: ten to a row, 360 twips apart; 01 and 11 are narrower.
QRect slotLabelRect(int index)
{
    const int row = index / 10;
    const int column = index % 10;
    const int width = (index == 0 || index == 10) ? 135 : 255;
    return {120 + 360 * column, 120 + 360 * row, width, 255};
}
} // namespace

PanelWindow::PanelWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(u"Form2"_s);
    // Sizable, with a close box but neither minimise nor maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(u"Quillharbour_Master PANEL"_s);

    auto* client = new QWidget(this);
    client->setObjectName(u"client"_s);
    setCentralWidget(client);
    for (int index = 0; index < kPanelLabelCount; ++index) {
        auto* label = new ClickLabel(u"%1"_s.arg(index + 1, 2, 10, QLatin1Char('0')), client);
        label->setObjectName(u"Label1(%1)"_s.arg(index));
        const QRect box = slotLabelRect(index);
        twips::place(label, box.x(), box.y(), box.width(), box.height());
        connect(label, &ClickLabel::clicked, this, [this, index] { emit slotClicked(index); });
        m_slotLabels[index] = label;
    }

    QMenu* screenMenu = menuBar()->addMenu(u"画面サイズ"_s);
    screenMenu->setObjectName(u"Menu11"_s);
    m_fullScreenAction = screenMenu->addAction(u"全画面表示"_s, this, [this] { emit screenModeChosen(true); });
    m_fullScreenAction->setObjectName(u"Menu12"_s);
    m_windowAction = screenMenu->addAction(u"ウィンドウ表示"_s, this, [this] { emit screenModeChosen(false); });
    m_windowAction->setObjectName(u"Menu13"_s);
    m_fullScreenAction->setCheckable(true);
    m_windowAction->setCheckable(true);
    setScreenModeChecks(true);
    // A command on the bar itself, with no items under it.
    m_aboutAction = menuBar()->addAction(u"About..."_s, this, &showAboutBox);
    m_aboutAction->setObjectName(u"Menu01"_s);
    // Our own menus follow the described ones, each built in a home of its own.
    m_pointerAction = addPointerMenu(*menuBar());
    connect(m_pointerAction, &QAction::triggered, this, &PanelWindow::pointerChosen);

    resize(twips::sizeToPixels(3750, 1185) + QSize(0, menuBar()->sizeHint().height()));
}

void PanelWindow::showSwitchedOn(int index, bool switchedOn)
{
    setTextColor(m_slotLabels.at(index), switchedOn ? kBgrBlue : kBgrRed);
}

void PanelWindow::disableSlot(int index)
{
    m_slotLabels.at(index)->setEnabled(false);
}

void PanelWindow::showFollowing(int index, FollowState state, const QString& toolTip)
{
    ClickLabel* label = m_slotLabels.at(index);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colorFromBgr(followBackground(state)));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    // Names from the file and addresses from the children: never rendered as markup.
    label->setToolTip(toolTipText(toolTip));
    label->setAccessibleDescription(toolTip);
}

void PanelWindow::setScreenModeChecks(bool fullScreen)
{
    m_fullScreenAction->setChecked(fullScreen);
    m_windowAction->setChecked(!fullScreen);
}

void PanelWindow::setPointerCheck(bool on)
{
    m_pointerAction->setChecked(on);
}

void PanelWindow::closeEvent(QCloseEvent* event)
{
    // The close always goes ahead.
    event->accept();
    emit closed();
}

} // namespace qh::master
