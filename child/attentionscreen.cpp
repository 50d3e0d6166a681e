#include "child/attentionscreen.h"

#include "child/childmessages.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::child {

AttentionCover::AttentionCover(QScreen* screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(u"attentionCover"_s);
    setWindowTitle(kAttentionText);
    setCursor(Qt::ArrowCursor);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0x1f, 0x3a, 0x5f));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);

    m_message = new QLabel(kAttentionText, this);
    m_message->setObjectName(u"attentionMessage"_s);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_timeLeft = new QLabel(this);
    m_timeLeft->setObjectName(u"attentionTimeLeft"_s);
    m_timeLeft->setAlignment(Qt::AlignCenter);
    // The message fills about a tenth of the screen's height, readable from the back of the room.
    const QRect area = screen->geometry();
    QFont large = font();
    large.setPixelSize(std::max(24, area.height() / 10));
    large.setBold(true);
    m_message->setFont(large);
    QFont small = font();
    small.setPixelSize(std::max(14, area.height() / 25));
    m_timeLeft->setFont(small);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(3);
    layout->addWidget(m_message);
    layout->addWidget(m_timeLeft);
    layout->addStretch(2);

    setScreen(screen);
    setGeometry(area);
}

void AttentionCover::showTimeLeft(const QString& text)
{
    m_timeLeft->setText(text);
}

QString AttentionCover::message() const
{
    return m_message->text();
}

void AttentionCover::closeEvent(QCloseEvent* event)
{
    event->ignore(); // only the teacher, the time or the teacher's absence ends it
}

void AttentionCover::keyPressEvent(QKeyEvent* event)
{
    event->accept();
}

AttentionScreen::AttentionScreen(QObject* parent) : QObject(parent), m_tick(this)
{
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &AttentionScreen::tick);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        if (isCovering())
            coverScreen(screen);
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &AttentionScreen::screenRemoved);
}

AttentionScreen::~AttentionScreen() = default;

void AttentionScreen::cover(std::optional<qint64> remainingMs)
{
    m_deadline.reset();
    if (remainingMs)
        m_deadline = QDeadlineTimer(*remainingMs);
    if (!isCovering()) {
        for (QScreen* screen : QGuiApplication::screens())
            coverScreen(screen);
        m_tick.start();
    }
    tick();
    keepAbove();
}

void AttentionScreen::uncover()
{
    m_tick.stop();
    m_deadline.reset();
    if (m_holdsInput && !m_covers.empty()) {
        if (QWindow* window = m_covers.front()->windowHandle()) {
            window->setKeyboardGrabEnabled(false);
            window->setMouseGrabEnabled(false);
        }
    }
    m_holdsInput = false;
    m_covers.clear();
}

void AttentionScreen::keepAbove()
{
    for (const std::unique_ptr<AttentionCover>& cover : m_covers) {
        cover->raise();
        cover->activateWindow();
    }
}

void AttentionScreen::coverScreen(QScreen* screen)
{
    auto cover = std::make_unique<AttentionCover>(screen);
    cover->showFullScreen();
    cover->raise();
    m_covers.push_back(std::move(cover));
    tick();
}

void AttentionScreen::screenRemoved(QScreen* screen)
{
    const auto on = [screen](const std::unique_ptr<AttentionCover>& cover) { return cover->screen() == screen; };
    if (!m_covers.empty() && on(m_covers.front()))
        m_holdsInput = false; // the window that held the input goes; the next one takes it
    m_covers.erase(std::remove_if(m_covers.begin(), m_covers.end(), on), m_covers.end());
}

void AttentionScreen::tick()
{
    const QString timeLeft = m_deadline ? attentionTimeLeftText(m_deadline->remainingTime()) : QString();
    for (const std::unique_ptr<AttentionCover>& cover : m_covers)
        cover->showTimeLeft(timeLeft);
    holdInput();
}

void AttentionScreen::holdInput()
{
    if (m_holdsInput || m_covers.empty())
        return;
    QWindow* window = m_covers.front()->windowHandle();
    if (!window || !window->isExposed())
        return; // once the window system shows it: the next tick
    // Where the window system refuses (Wayland, no display) this stays false and is tried again;
    // the covers are above every window all the same.
    m_holdsInput = window->setKeyboardGrabEnabled(true) && window->setMouseGrabEnabled(true);
}

} // namespace qh::child
