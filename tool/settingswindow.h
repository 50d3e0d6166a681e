#pragma once

#include "tool/settingsentries.h"

#include <QMainWindow>
#include <QPointer>

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

class ConnectionCheckWindow;
class ModeList;

// The settings window (objectName Form1): shows the configuration file's values in its controls,
// which are the only copy of them while the tool runs, and saves them back on "設定". It loads when
// it is created and deletes itself when it is closed.
class SettingsWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget* parent = nullptr);

    // The values the controls hold now, and putting values into them.
    SettingsEntries entries() const;
    void showEntries(const SettingsEntries& entries);

private:
    void buildControls(QWidget* client);
    void buildSlotRow(int index);
    void buildMenus();
    void setFocusOrder();

    // Reads the configuration file into the controls; a missing file is reported.
    void load();
    // Shows the frame of the tab just chosen and hides the one shown before.
    void showChosenTab();
    // "設定": stores the values in the configuration file; a failure is reported.
    void save();
    // "接続確認": checks the values the window holds now in a window of its own, in place of an
    // earlier check's window.
    void checkConnections();
    // "終了": ends the program at once, every other window with it.
    void quitProgram();
    void showHelp();
    // "URLリストの編集...": starts the lesson editor in the working folder, apart from the tool.
    void editLessons();
    // "先生の鍵...": shows the teacher's key of the working folder by its fingerprint and makes a
    // new pair when the user chooses to.
    void setUpTeacherKey();

    QLabel* m_masterPortLabel = nullptr;
    QLabel* m_childPortLabel = nullptr;
    QLabel* m_masterModeLabel = nullptr;
    QLineEdit* m_masterPortEdit = nullptr;
    QLineEdit* m_childPortEdit = nullptr;
    ModeList* m_masterModeList = nullptr;
    QTabBar* m_slotTabs = nullptr;
    QFrame* m_tabPanel = nullptr;             // the body of the tab strip, behind the frames
    std::array<QGroupBox*, 3> m_slotFrames{}; // one per tab, ten slots each
    std::array<QCheckBox*, kSlotCount> m_inUseBoxes{};
    std::array<QLineEdit*, kSlotCount> m_nameEdits{};
    std::array<ModeList*, kSlotCount> m_modeLists{};
    QPushButton* m_quitButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPointer<ConnectionCheckWindow> m_checkWindow;
    int m_shownFrame = 0; // index of the frame shown, 0..2
};

} // namespace qh::tool
