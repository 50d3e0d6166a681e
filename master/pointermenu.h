#pragma once

class QAction;
class QMenuBar;

namespace qh::master {

// The control panel's menu of the teacher's pointer (objectName pointerMenu), added to the menu bar
// after the described menus, with its one checkable item (pointerAction) and the pointer's key as
// its shortcut. Returns the item.
QAction* addPointerMenu(QMenuBar& menuBar);

} // namespace qh::master
