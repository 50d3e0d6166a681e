#pragma once

#include "master/classtile.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace qh::master {

class ClassViewWindow;
class Classroom;
class PresenterServices;

// The class view: a tile for every slot that holds a computer, in the panel's order, with the
// panel's follow state and the latest picture of the child's page window. While its window is open
// the children are asked for pictures (Classroom), and the tiles are brought up to date as pictures
// come and once a second (ages, follow states, attention's time left); closed, nothing is asked.
// A slot switched off keeps its tile, which says so (停止中); nothing is asked of it.
class ClassView : public QObject
{
    Q_OBJECT
public:
    ClassView(PresenterServices& services, Classroom& classroom, QObject* parent = nullptr);
    ~ClassView() override;

    // Shows the window, built anew when it was closed, and raises it.
    void open();
    // The open window, or nullptr.
    ClassViewWindow* window() const { return m_window.get(); }

    // What the slot's tile shows now.
    TileContent contentOf(int slotIndex) const;

private:
    void windowClosed();
    void refresh();
    void refreshTile(int slotIndex);
    void showAttention();

    PresenterServices& m_services;
    Classroom& m_classroom;
    std::unique_ptr<ClassViewWindow> m_window;
    QTimer m_refresh;
};

} // namespace qh::master
