#pragma once

#include <QPoint>
#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;

namespace qh::master {

class Presenter;

// Keeps a window above all others (mode 1) or returns it to the ordinary stacking order (mode 0);
// both show it where it is. Any other mode does nothing and returns 0.
int SetTopmost(QWidget* window, std::int16_t mode);

// The presenter's main bar: a small borderless window with the page buttons, the page number,
// PANEL and End. It has no close box; End is the way out. Dragged by its surface or its label.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(Presenter& presenter);

    void setPageNumber(std::int16_t pageNumber);
    // Puts the bar back above the browser window that was just shown.
    void keepAbove();

    void Command1_Click(); // Home
    void Command2_Click(); // PANEL
    void Command3_Click(); // >>
    void Command4_Click(); // <<
    void Command5_Click(); // End
    void Form_MouseDown(Qt::MouseButtons button, const QPoint& globalPosition);
    void Label1_MouseDown(Qt::MouseButtons button, const QPoint& globalPosition);

    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QLabel* Label1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* addButton(const QString& name, const QString& caption, int left, int width);
    void startDrag(const QPoint& globalPosition);

    Presenter& m_presenter;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace qh::master
