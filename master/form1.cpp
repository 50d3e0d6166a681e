#include "form1.h"

#include "presenter.h"
#include "programinfo.h"
#include "twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindow>

namespace qh::master {

namespace {
// The bar's controls share one row.
constexpr int kRowTop = 120;
constexpr int kRowHeight = 255;
} // namespace

int SetTopmost(QWidget* window, std::int16_t mode)
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

Form1::Form1(Presenter& presenter) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_presenter(presenter)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kPresenterTitle);
    setFixedSize(twips::sizeToPixels(4335, 510));

    Command1 = addButton(QStringLiteral("Command1"), QStringLiteral("Home"), 120, 615);
    Command4 = addButton(QStringLiteral("Command4"), QStringLiteral("<<"), 840, 495);
    Command3 = addButton(QStringLiteral("Command3"), QStringLiteral(">>"), 1440, 495);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    twips::place(Label1, 2160, kRowTop, 495, kRowHeight);
    Label1->installEventFilter(this);
    Command2 = addButton(QStringLiteral("Command2"), QStringLiteral("PANEL"), 2760, 735);
    Command5 = addButton(QStringLiteral("Command5"), QStringLiteral("End"), 3600, 615);

    // Tab order: >>, <<, End, (the label), Home, PANEL.
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command5);
    setTabOrder(Command5, Command1);
    setTabOrder(Command1, Command2);

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
}

QPushButton* Form1::addButton(const QString& name, const QString& caption, int left, int width)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    twips::place(button, left, kRowTop, width, kRowHeight);
    return button;
}

void Form1::keepAbove()
{
    // A window manager keeps a stay-on-top window above the browser by itself; without one (a
    // bare X server) only raising it does. Windowless platforms have no stacking to change.
    if (isVisible() && QGuiApplication::platformName() != u"offscreen")
        raise();
}

void Form1::setPageNumber(std::int16_t pageNumber)
{
    Label1->setText(QString::number(pageNumber));
}

void Form1::Command1_Click()
{
    m_presenter.Home();
}

void Form1::Command2_Click()
{
    m_presenter.Panel();
}

void Form1::Command3_Click()
{
    m_presenter.NextPage();
}

void Form1::Command4_Click()
{
    m_presenter.PreviousPage();
}

void Form1::Command5_Click()
{
    m_presenter.End();
}

void Form1::Form_MouseDown(Qt::MouseButtons button, const QPoint& globalPosition)
{
    if (button & Qt::LeftButton)
        startDrag(globalPosition);
}

void Form1::Label1_MouseDown(Qt::MouseButtons button, const QPoint& globalPosition)
{
    Form_MouseDown(button, globalPosition);
}

void Form1::startDrag(const QPoint& globalPosition)
{
    // The window manager moves the bar as if by a title bar; where there is none to ask, the bar
    // follows the pointer itself until the button is released.
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = globalPosition - pos();
}

void Form1::mousePressEvent(QMouseEvent* event)
{
    Form_MouseDown(event->buttons() | event->button(), event->globalPosition().toPoint());
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
}

void Form1::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label1 && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        Label1_MouseDown(mouse->buttons() | mouse->button(), mouse->globalPosition().toPoint());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The bar has no close box; a close asked for by the window system would leave the children
    // and the browser behind, so only End closes it.
    event->ignore();
}

void Form1::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const int right = twips::toPixels(4320);
    const int bottom = twips::toPixels(480);
    const int lineEnd = twips::toPixels(840); // the side lines run past the bottom edge
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(0, 0, 0, lineEnd);
    painter.drawLine(right, 0, right, lineEnd);
}

} // namespace qh::master
