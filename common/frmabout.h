#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QFrame;

namespace qh {

// The About box both programs show: program title, version and icon, and a button that starts the
// system-information program. Each program has at most one at a time (see showAboutBox()).
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    frmAbout();

    // The texts the box was filled with, for the times it is shown again.
    QLabel* lblTitle() const { return m_lblTitle; }
    QLabel* lblVersion() const { return m_lblVersion; }

    void cmdOK_Click();
    void cmdSysInfo_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();

    QLabel* m_picIcon = nullptr;
    QLabel* m_lblTitle = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_lblDescription = nullptr;
    QLabel* m_lblDisclaimer = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdSysInfo = nullptr;
};

// The version line, "ﾊﾞｰｼﾞｮﾝ 1.1.0".
QString aboutVersionText(int major, int minor, int revision);
// The caption, the program title followed by "のﾊﾞｰｼﾞｮﾝ情報".
QString aboutCaption(const QString& programTitle);

// Shows the program's About box, modeless and without an owner, and returns at once. The first
// Show builds and fills a box; while it is open, Show only brings that same box to the front.
void showAboutBox();

// The program's reference to its About box. OK empties it. Closing the box from its frame unloads
// the box but keeps the reference (Closed); the next Show then builds and fills a box again.
enum class AboutBoxState { None, Open, Closed };
AboutBoxState aboutBoxState();
// The open box, or nullptr.
frmAbout* aboutBox();

// Starts the system-information program that the registry (or its stand-in, registrystore.h)
// names; when there is none, or it cannot be started, says "現時点ではｼｽﾃﾑ情報を使用できません".
void StartSysInfo();

} // namespace qh
