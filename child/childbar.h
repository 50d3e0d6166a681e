#pragma once

#include "common/borderedbar.h"

#include <QTimer>

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

    // Says on the button, for as long as the next call is held back, that the call went out or
    // that it could not be sent.
    void showCallResult(bool sent);
    // Shows the bar in the screen's lower right corner, above the other windows.
    void showInCorner();

private:
    QLabel* m_caption = nullptr;
    QPushButton* m_callButton = nullptr;
    QTimer m_buttonReset;
};

} // namespace qh::child
