#pragma once

#include <QMainWindow>

#include <array>

class QAction;

namespace qh::master {

class ClickLabel;
class PresenterServices;

inline constexpr int kPanelLabelCount = 30;

// The control panel: one numbered label per child slot, blue while the child is switched on, red
// while it is off; a click switches the child. Its menu sets the browser's screen mode and opens
// the About box.
class Form2 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form2(PresenterServices& services, QWidget* parent = nullptr);

    ClickLabel* Label1(int index) const { return m_Label1.at(index); }
    QAction* Menu12() const { return m_Menu12; }
    QAction* Menu13() const { return m_Menu13; }
    QAction* Menu01() const { return m_Menu01; }

    // The start-up marks on a panel just loaded: slot colours, disabled empty slots, check marks.
    void prepare();

    void Label1_Click(int index);
    void Menu12_Click();
    void Menu13_Click();
    void Menu01_Click();

signals:
    // Form_Unload: the close box closes the panel; its owner discards it.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setScreenModeChecks(bool fullScreen);

    PresenterServices& m_services;
    std::array<ClickLabel*, kPanelLabelCount> m_Label1{};
    QAction* m_Menu12 = nullptr;
    QAction* m_Menu13 = nullptr;
    QAction* m_Menu01 = nullptr;
};

} // namespace qh::master
