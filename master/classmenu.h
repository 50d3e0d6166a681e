#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QMenuBar;

namespace qh::master {

class Classroom;

// The class view, attention for a chosen time or until lifted, and its lift, in the control panel's
// menu "クラス" after the pointer's item (master/pointermenu.h). While attention is on, the menu's title says so and
// counts the time down, so the panel shows it at a glance. It lives beside the panel's own menus, added anew to each
// panel window built.
class ClassMenu : public QObject
{
    Q_OBJECT
public:
    explicit ClassMenu(Classroom& classroom, QObject* parent = nullptr);

    // Adds the items to the bar's menu "クラス", or the menu to the end of the bar; the bar owns it.
    void addTo(QMenuBar* bar);
    // The menu last added, while its bar lives.
    QMenu* menu() const { return m_menu; }

signals:
    void classViewRequested();

private:
    void showAttention();

    Classroom& m_classroom;
    QPointer<QMenu> m_menu;
    QTimer m_countdown;
};

} // namespace qh::master
