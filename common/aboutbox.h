#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QFrame;

namespace qh {

using namespace Qt::StringLiterals;

// The About box both programs show (objectName frmAbout): program title, version and icon, and a
// button that starts the system-information program. Each program has at most one at a time (see
// showAboutBox()).
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    AboutBox();

    // OK (also Enter and Esc): closes the box; the next Show builds and fills a new one.
    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Fills the box with the program's icon, caption, title and version.
    void fill();

    QLabel* m_icon = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_description = nullptr;
    QLabel* m_disclaimer = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_systemInfoButton = nullptr;
};

// The version line, "ﾊﾞｰｼﾞｮﾝ 1.1.0".
QString aboutVersionText(int major, int minor, int revision);
// The caption, the program title followed by "のﾊﾞｰｼﾞｮﾝ情報".
QString aboutCaption(const QString& programTitle);

// Shows the program's About box, modeless and without an owner, and returns at once. The first
// Show builds and fills a box; while it is open, Show only brings that same box to the front.
void showAboutBox();

// Starts the system-information program that the registry (or its stand-in, registrystore.h)
// names; when there is none, or it cannot be started, says "現時点ではｼｽﾃﾑ情報を使用できません".
void startSystemInformation();

} // namespace qh
