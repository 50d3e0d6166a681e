#pragma once

#include "child/callstate.h"
#include "common/borderedbar.h"

class QLabel;
class QPushButton;

namespace qh::child {

// The child's small window that stays above all others, also while the page window is hidden:
// its caption "Quillharbour_Child NN" and the button 呼び出し that calls the teacher. It has no
// close box and is dragged by its surface or its caption, like the presenter's bar.
class ChildBar : public BorderedBar
{
    Q_OBJECT
public:
    explicit ChildBar(int number);

    QPushButton* callButton() const { return m_callButton; }

    void showCallReading(CallState::Reading reading);
    // Says in place of the caption that the teacher's computer is being looked for, or no longer.
    void showLookingForMaster(bool looking);
    // Says in place of the caption that what the teacher's computer sends is not signed by the
    // teacher's key, or no longer.
    void showKeyTrouble(bool trouble);
    // The tooltip names the teacher's key by its fingerprint, to compare with the settings tool's;
    // empty: the child has no key.
    void showTeacherKey(const QByteArray& publicKey);
    // Shows the bar in the screen's lower right corner, above the other windows.
    void showInCorner();

private:
    void showCaption();

    bool m_looking = false;
    bool m_keyTrouble = false;
    QLabel* m_caption = nullptr;
    QPushButton* m_callButton = nullptr;
};

} // namespace qh::child
