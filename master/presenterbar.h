#pragma once

#include "common/borderedbar.h"

#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;

namespace qh::master {

// Keeps a window above all others (mode 1) or returns it to the ordinary stacking order (mode 0);
// both show it where it is. Any other mode does nothing and returns 0.
int setTopmost(QWidget* window, std::int16_t mode);

// The presenter's main bar (objectName Form1): a small borderless window with the page buttons, the
// page number, PANEL and End. It has no close box; End is the way out. It is dragged by its surface
// or by the page number.
class PresenterBar : public BorderedBar
{
    Q_OBJECT
public:
    PresenterBar();

    void setPageNumber(std::int16_t pageNumber);

    QPushButton* homeButton() const { return m_homeButton; }
    QPushButton* previousButton() const { return m_previousButton; }
    QPushButton* nextButton() const { return m_nextButton; }
    QPushButton* panelButton() const { return m_panelButton; }
    QPushButton* endButton() const { return m_endButton; }
    QLabel* pageNumberLabel() const { return m_pageNumberLabel; }

protected:
    void drawBorder(QPainter& painter) override;

private:
    QPushButton* addButton(const QString& name, const QString& caption, int left, int width);

    QPushButton* m_homeButton = nullptr;
    QPushButton* m_previousButton = nullptr;
    QPushButton* m_nextButton = nullptr;
    QPushButton* m_panelButton = nullptr;
    QPushButton* m_endButton = nullptr;
    QLabel* m_pageNumberLabel = nullptr;
};

} // namespace qh::master
