#pragma once

class QAction;
class QMenuBar;

namespace qh::master {

// The control panel's own menu "クラス" (objectName classMenu), added to the menu bar after the
// described menus, with its first item: the teacher's pointer (pointerAction), checkable, the
// pointer's key as its shortcut. The class view and attention add their items to the same menu
// (ClassMenu): the panel is 250 pixels wide, and a second menu of ours would be hidden behind the
// menu bar's overflow button. Returns the item.
QAction* addPointerMenu(QMenuBar& menuBar);

} // namespace qh::master
