#include "master/pointermenu.h"

#include "master/presentermessages.h"
#include "master/viewfollower.h"

#include <QMenuBar>

namespace qh::master {

QAction* addPointerMenu(QMenuBar& menuBar)
{
    QMenu* menu = menuBar.addMenu(kClassMenuTitle);
    menu->setObjectName(kClassMenuName);
    QAction* item = menu->addAction(kPointerItemText);
    item->setObjectName(u"pointerAction"_s);
    item->setCheckable(true);
    item->setShortcut(QKeySequence(kPointerKey));
    return item;
}

} // namespace qh::master
