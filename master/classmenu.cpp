#include "master/classmenu.h"

#include "master/classroom.h"
#include "master/presentermessages.h"

#include <QMenu>
#include <QMenuBar>

using namespace Qt::StringLiterals;

namespace qh::master {

ClassMenu::ClassMenu(Classroom& classroom, QObject* parent) : QObject(parent), m_classroom(classroom), m_countdown(this)
{
    m_countdown.setInterval(1000);
    connect(&m_countdown, &QTimer::timeout, this, &ClassMenu::showAttention);
    connect(&m_classroom.attention(), &Attention::changed, this, &ClassMenu::showAttention);
}

void ClassMenu::addTo(QMenuBar* bar)
{
    // The panel's own menu, which starts with the pointer's item, else one of our own.
    m_menu = bar->findChild<QMenu*>(kClassMenuName, Qt::FindDirectChildrenOnly);
    if (m_menu) {
        m_menu->addSeparator();
    } else {
        m_menu = bar->addMenu(kClassMenuTitle);
        m_menu->setObjectName(kClassMenuName);
    }
    m_menu->addAction(kClassViewItemText, this, &ClassMenu::classViewRequested)->setObjectName(u"classViewAction"_s);
    m_menu->addSeparator();
    for (const int seconds : kAttentionChoiceSeconds) {
        QAction* choice = m_menu->addAction(attentionItemText(seconds), this,
                                            [this, seconds] { m_classroom.startAttention(seconds); });
        choice->setObjectName(u"attention%1Action"_s.arg(seconds));
    }
    m_menu->addAction(attentionItemText(std::nullopt), this, [this] { m_classroom.startAttention(std::nullopt); })
        ->setObjectName(u"attentionUntilLiftedAction"_s);
    m_menu->addAction(kLiftAttentionItemText, &m_classroom.attention(), &Attention::lift)
        ->setObjectName(u"liftAttentionAction"_s);
    showAttention();
}

void ClassMenu::showAttention()
{
    const Attention& attention = m_classroom.attention();
    if (attention.isOn() && attention.remainingMs())
        m_countdown.start();
    else
        m_countdown.stop();
    if (!m_menu)
        return;
    m_menu->setTitle(attention.isOn() ? attentionMenuTitle(attention.remainingMs()) : kClassMenuTitle);
    if (QAction* lift = m_menu->findChild<QAction*>(u"liftAttentionAction"_s))
        lift->setEnabled(attention.isOn());
}

} // namespace qh::master
