#pragma once

#include "settingsfile.h"

#include <QMainWindow>

#include <array>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabBar;

namespace qh::tool {

class ModeList;

// The settings window: shows the configuration file's values in its controls, which are the only
// copy of them while the tool runs, and saves them back on "設定". It loads when it is created and
// deletes itself when it is closed.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);

    // The values the controls hold now, and putting values into them.
    SettingsEntries entries() const;
    void showEntries(const SettingsEntries& entries);

    // The index (1..3) of the tab whose frame is shown.
    int currentTab() const { return m_currentTab; }

    void Form_Load();
    void TabStrip1_Click();
    void List1_Scroll();
    void List2_Scroll(int index);
    void Command1_Click();
    void Command2_Click();
    void Menu11_Click();
    void Menu03_Click();
    void Menu01_Click();

private:
    void buildControls(QWidget* client);
    void buildSlotRow(int index);
    void buildMenus();
    void setFocusOrder();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    ModeList* List1 = nullptr;
    QTabBar* TabStrip1 = nullptr;
    QFrame* m_tabPanel = nullptr;       // the body of the tab strip, behind the frames
    std::array<QGroupBox*, 3> Frame1{}; // Frame1(1..3) at index 0..2
    std::array<QCheckBox*, kSlotCount> Check1{};
    std::array<QLineEdit*, kSlotCount> Text3{};
    std::array<ModeList*, kSlotCount> List2{};
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QMenu* Menu10 = nullptr;
    QAction* Menu11 = nullptr;
    QMenu* Menu00 = nullptr;
    QAction* Menu03 = nullptr;
    QAction* Menu01 = nullptr;

    int m_currentTab = 1;
};

} // namespace qh::tool
