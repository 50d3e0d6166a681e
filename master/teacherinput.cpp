#include "master/teacherinput.h"

#include "master/viewfollower.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <optional>

namespace qh::master {

namespace {
// One notch of an ordinary wheel; a touchpad turns it in smaller parts.
constexpr int kWheelStep = 120;

// The zoom step of a key with Ctrl held, if it is one.
std::optional<int> zoomStepOf(const QKeyEvent& key)
{
    if (!(key.modifiers() & Qt::ControlModifier) || (key.modifiers() & (Qt::AltModifier | Qt::MetaModifier)))
        return std::nullopt;
    switch (key.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Semicolon:
        return 1;
    case Qt::Key_Minus:
        return -1;
    case Qt::Key_0:
        return 0;
    default:
        return std::nullopt;
    }
}
} // namespace

TeacherInput::TeacherInput(QWidget& view) : QObject(&view), m_view(view)
{
    view.installEventFilter(this);
    for (QObject* child : view.children())
        watch(child);
}

void TeacherInput::watch(QObject* child)
{
    if (child->isWidgetType())
        child->installEventFilter(this);
}

bool TeacherInput::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == &m_view)
            watch(static_cast<QChildEvent*>(event)->child());
        return false;
    case QEvent::Resize:
        if (watched == &m_view)
            emit resized();
        return false;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->keyCombination() == kPointerKey) {
            emit pointerKeyPressed();
            return true;
        }
        if (const std::optional<int> step = zoomStepOf(*key)) {
            emit zoomStepped(*step);
            return true;
        }
        return false;
    }
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier))
            return false;
        m_wheelAngle += wheel->angleDelta().y();
        for (; m_wheelAngle >= kWheelStep; m_wheelAngle -= kWheelStep)
            emit zoomStepped(1);
        for (; m_wheelAngle <= -kWheelStep; m_wheelAngle += kWheelStep)
            emit zoomStepped(-1);
        return true;
    }
    case QEvent::MouseMove:
        if (watched != &m_view) {
            const auto* move = static_cast<QMouseEvent*>(event);
            emit mouseMoved(static_cast<QWidget*>(watched)->mapTo(&m_view, move->position().toPoint()));
        }
        return false;
    case QEvent::Leave:
        if (watched != &m_view)
            emit mouseLeft();
        return false;
    default:
        return false;
    }
}

} // namespace qh::master
