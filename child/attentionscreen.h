#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QScreen;

namespace qh::child {

// One screen's cover: the attention message over the whole screen, above every other window. It
// cannot be closed, and it takes the keys and clicks that reach it.
class AttentionCover : public QWidget
{
    Q_OBJECT
public:
    explicit AttentionCover(QScreen* screen);

    void showTimeLeft(const QString& text);
    QString message() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_message = nullptr;
    QLabel* m_timeLeft = nullptr;
};

// The covers of every screen of the computer while the teacher calls for attention, with the time
// left, counted down each second. The first cover takes the keyboard and the mouse where the
// window system lets a program do so (X11; on Wayland and without a display it cannot), and tries
// again each second while another program holds them. A screen plugged in meanwhile is covered too.
class AttentionScreen : public QObject
{
    Q_OBJECT
public:
    explicit AttentionScreen(QObject* parent = nullptr);
    ~AttentionScreen() override;

    // Covers every screen, or only changes the time left: none until lifted.
    void cover(std::optional<qint64> remainingMs);
    void uncover();
    bool isCovering() const { return !m_covers.empty(); }
    // Raises the covers again above a window that has just come up.
    void keepAbove();

    const std::vector<std::unique_ptr<AttentionCover>>& covers() const { return m_covers; }

private:
    void coverScreen(QScreen* screen);
    void screenRemoved(QScreen* screen);
    void tick();
    void holdInput();

    std::vector<std::unique_ptr<AttentionCover>> m_covers;
    std::optional<QDeadlineTimer> m_deadline;
    QTimer m_tick;
    bool m_holdsInput = false;
};

} // namespace qh::child
