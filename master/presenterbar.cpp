#include "master/presenterbar.h"

#include "common/programinfo.h"
#include "common/twips.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace qh::master {

namespace {
// The bar's controls share one row.
constexpr int kRowTop = 120;
constexpr int kRowHeight = 255;
} // namespace

int setTopmost(QWidget* window, std::int16_t mode)
{
    if (mode != 0 && mode != 1)
        return 0;
    const bool onTop = mode == 1;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        const QPoint position = window->pos();
        const bool placed = window->testAttribute(Qt::WA_Moved);
        window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop); // hides the window
        if (placed)
            window->move(position);
    }
    window->show();
    return 1;
}

PresenterBar::PresenterBar() : BorderedBar(4335, 510)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(kPresenterTitle);

    m_homeButton = addButton(u"Command1"_s, u"Home"_s, 120, 615);
    m_previousButton = addButton(u"Command4"_s, u"<<"_s, 840, 495);
    m_nextButton = addButton(u"Command3"_s, u">>"_s, 1440, 495);
    m_pageNumberLabel = new QLabel(this);
    m_pageNumberLabel->setObjectName(u"Label1"_s);
    twips::place(m_pageNumberLabel, 2160, kRowTop, 495, kRowHeight);
    addDragHandle(m_pageNumberLabel);
    m_panelButton = addButton(u"Command2"_s, u"PANEL"_s, 2760, 735);
    m_endButton = addButton(u"Command5"_s, u"End"_s, 3600, 615);

    // Tab order: >>, <<, End, (the label), Home, PANEL.
    setTabOrder(m_nextButton, m_previousButton);
    setTabOrder(m_previousButton, m_endButton);
    setTabOrder(m_endButton, m_homeButton);
    setTabOrder(m_homeButton, m_panelButton);
}

QPushButton* PresenterBar::addButton(const QString& name, const QString& caption, int left, int width)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    twips::place(button, left, kRowTop, width, kRowHeight);
    return button;
}

void PresenterBar::setPageNumber(std::int16_t pageNumber)
{
    m_pageNumberLabel->setText(QString::number(pageNumber));
}

void PresenterBar::drawBorder(QPainter& painter)
{
    const int right = twips::toPixels(4320);
    const int bottom = twips::toPixels(480);
    const int lineEnd = twips::toPixels(840); // the side lines run past the bottom edge
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(0, 0, 0, lineEnd);
    painter.drawLine(right, 0, right, lineEnd);
}

} // namespace qh::master
