#pragma once

#include <QListWidget>

namespace qh::tool {

// The selection a step of a screen-mode list leads to: "全画面表示" (0) becomes "ウィンドウ表示" (1),
// and anything else, no selection included, becomes "全画面表示".
int steppedModeIndex(int modeIndex);

// A list box one row high with the two screen modes, "全画面表示" and "ウィンドウ表示". Its scroll
// bar is the step control: every arrow or page step, even at either end, emits stepped(), whose
// handler flips the selection; the row in view is then the selected one. Index -1 means no selection.
class ModeList : public QListWidget
{
    Q_OBJECT
public:
    explicit ModeList(QWidget* parent = nullptr);

    int modeIndex() const;
    void setModeIndex(int modeIndex);

signals:
    // One step of the scroll bar.
    void stepped();

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void stepSelection(int action);
};

} // namespace qh::tool
