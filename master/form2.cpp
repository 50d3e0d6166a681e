#include "form2.h"

#include "bgrcolor.h"
#include "clicklabel.h"
#include "controlpanel.h"
#include "frmabout.h"
#include "presenterservices.h"
#include "twips.h"

#include <QCloseEvent>
#include <QMenuBar>

namespace qh::master {

Form2::Form2(PresenterServices& services, QWidget* parent) : QMainWindow(parent), m_services(services)
{
    setObjectName(QStringLiteral("Form2"));
    // Sizable, with a close box but neither minimise nor maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Quillharbour_Master PANEL"));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    for (int index = 0; index < kPanelLabelCount; ++index) {
        auto* label = new ClickLabel(QStringLiteral("%1").arg(index + 1, 2, 10, QLatin1Char('0')), client);
        label->setObjectName(QStringLiteral("Label1(%1)").arg(index));
        const QRect box = panelLabelRect(index);
        twips::place(label, box.x(), box.y(), box.width(), box.height());
        connect(label, &ClickLabel::clicked, this, [this, index] { Label1_Click(index); });
        m_Label1[index] = label;
    }

    QMenu* menu11 = menuBar()->addMenu(QStringLiteral("画面サイズ"));
    menu11->setObjectName(QStringLiteral("Menu11"));
    m_Menu12 = menu11->addAction(QStringLiteral("全画面表示"), this, &Form2::Menu12_Click);
    m_Menu12->setObjectName(QStringLiteral("Menu12"));
    m_Menu13 = menu11->addAction(QStringLiteral("ウィンドウ表示"), this, &Form2::Menu13_Click);
    m_Menu13->setObjectName(QStringLiteral("Menu13"));
    m_Menu12->setCheckable(true);
    m_Menu13->setCheckable(true);
    setScreenModeChecks(true);
    // A command on the bar itself, with no items under it.
    m_Menu01 = menuBar()->addAction(QStringLiteral("About..."), this, &Form2::Menu01_Click);
    m_Menu01->setObjectName(QStringLiteral("Menu01"));

    resize(twips::sizeToPixels(3750, 1185) + QSize(0, menuBar()->sizeHint().height()));
}

void Form2::prepare()
{
    for (int index = 0; index < kPanelLabelCount; ++index) {
        const ChildSlot& slot = m_services.childSlot(index);
        if (const std::optional<std::uint32_t> color = slotTextColor(slot.inUse))
            setTextColor(m_Label1[index], *color);
        // A disabled label keeps the colour it was given.
        if (!slotHoldsComputer(slot))
            m_Label1[index]->setEnabled(false);
    }
    setScreenModeChecks(qh::isFullScreen(m_services.screenSize()));
}

void Form2::Label1_Click(int index)
{
    ChildSlot& slot = m_services.childSlot(index);
    ClickLabel* label = m_Label1.at(index);
    if (!slotHoldsComputer(slot) || !label->isEnabled())
        return;
    // A failed send shows its message and the click goes on: colour and flag change all the same.
    // That message is application-modal, so the panel cannot be closed while it is open.
    if (isSwitchedOn(slot.inUse)) {
        m_services.SendChildCommand(index, kVisibleFalse);
        setTextColor(label, kSwitchedOffColor);
        slot.inUse = kSwitchedOffFlag;
        return;
    }
    m_services.SendChildCommand(index, kVisibleTrue);
    setTextColor(label, kSwitchedOnColor);
    slot.inUse = kSwitchedOnFlag;
    // The address the browser shows now (it may be a link followed away from the list). Empty only
    // when no page was ever shown: there is nothing to send then.
    const QString address = m_services.browserLocation();
    if (!address.isEmpty())
        m_services.SendPageToChild(index, address);
}

void Form2::Menu12_Click()
{
    m_services.setBrowserFullScreen(true);
    setScreenModeChecks(true);
}

void Form2::Menu13_Click()
{
    m_services.setBrowserFullScreen(false);
    setScreenModeChecks(false);
}

void Form2::Menu01_Click()
{
    showAboutBox();
}

void Form2::closeEvent(QCloseEvent* event)
{
    // The close always goes ahead.
    event->accept();
    emit unloaded();
}

void Form2::setScreenModeChecks(bool fullScreen)
{
    m_Menu12->setChecked(fullScreen);
    m_Menu13->setChecked(!fullScreen);
}

} // namespace qh::master
