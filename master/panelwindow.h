#pragma once

#include "master/childreports.h"

#include <QMainWindow>

#include <array>

class QAction;

namespace qh::master {

class ClickLabel;

inline constexpr int kPanelLabelCount = 30;

// The control panel's window (objectName Form2): one numbered label per child slot, blue while the
// child is switched on, red while it is off, on a background that tells how the child follows. Its menu switches the
// browser's screen mode and opens the About box. What a click does is the control panel's affair (ControlPanel).
class PanelWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit PanelWindow(QWidget* parent = nullptr);

    ClickLabel* slotLabel(int index) const { return m_slotLabels.at(index); }
    QAction* fullScreenAction() const { return m_fullScreenAction; }
    QAction* windowAction() const { return m_windowAction; }
    QAction* aboutAction() const { return m_aboutAction; }
    QAction* pointerAction() const { return m_pointerAction; }

    // Blue for a child switched on, red for one switched off.
    void showSwitchedOn(int index, bool switchedOn);
    // A slot without a computer: greyed, and takes no clicks. Its label keeps the colour it had.
    void disableSlot(int index);
    // How the slot's child follows: a background of its own for each state, and the tooltip (which
    // is also the label's accessible description). The text colour stays as it is.
    void showFollowing(int index, FollowState state, const QString& toolTip);
    void setScreenModeChecks(bool fullScreen);
    void setPointerCheck(bool on);

signals:
    void slotClicked(int index);
    void screenModeChosen(bool fullScreen);
    void pointerChosen(bool on);
    // The close box closed the window; its owner discards it.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::array<ClickLabel*, kPanelLabelCount> m_slotLabels{};
    QAction* m_fullScreenAction = nullptr;
    QAction* m_windowAction = nullptr;
    QAction* m_aboutAction = nullptr;
    QAction* m_pointerAction = nullptr;
};

} // namespace qh::master
