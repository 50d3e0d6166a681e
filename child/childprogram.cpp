#include "child/childprogram.h"

#include "child/childmessages.h"
#include "child/childtrace.h"
#include "child/consolemessages.h"
#include "common/logcategories.h"
#include "common/programicons.h"
#include "common/singleinstance.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace qh::child {

ChildProgram::ChildProgram(const ChildSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_link(settings), m_page(PageRule(settings.localFolders)),
      m_bar(settings.number)
{
    m_page.setObjectName(u"pageWindow"_s);
    m_page.setFullScreenMode(settings.fullScreen);
    connect(&m_link, &ChildLink::actionReceived, this, &ChildProgram::act);
    connect(&m_link, &ChildLink::classroomCommandReceived, this, &ChildProgram::actInClassroom);
    connect(&m_attention, &AttentionClock::covered, this, [this](std::optional<int> seconds) {
        m_cover.cover(m_attention.remainingMs());
        trace(u"attention"_s, u"on "_s + (seconds ? QString::number(*seconds) : u"until-lifted"_s));
    });
    connect(&m_attention, &AttentionClock::uncovered, this, [this](AttentionEnd why) {
        m_cover.uncover();
        trace(u"attention"_s, u"off "_s + attentionEndName(why));
    });
    connect(m_bar.callButton(), &QPushButton::clicked, this, &ChildProgram::callTeacher);
    connect(&m_link, &ChildLink::masterFound, this, [this] { m_bar.showLookingForMaster(false); });
    connect(&m_link, &ChildLink::teacherKeyTrouble, &m_bar, &ChildBar::showKeyTrouble);
    m_bar.showTeacherKey(settings.teacherKey);
    connect(&m_link, &ChildLink::masterAnswered, this, [this] {
        m_call.masterAnswered();
        showCallReading();
    });
    m_page.installEventFilter(this);
    m_callReadingChange.setSingleShot(true);
    // Never earlier than the next call may go out: a click on a button that reads 呼び出し or
    // 届いていません must always call.
    m_callReadingChange.setTimerType(Qt::PreciseTimer);
    connect(&m_callReadingChange, &QTimer::timeout, this, &ChildProgram::showCallReading);

    connect(&m_link, &ChildLink::datagramDropped, this,
            [](const QHostAddress& sender) { trace(u"dropped"_s, sender.toString()); });
    connect(&m_page, &PageWindow::loadEnded, this,
            [](const QUrl& page, bool succeeded) { trace(succeeded ? u"loaded"_s : u"failed"_s, page.toString()); });
    connect(&m_page, &PageWindow::reloadingAfterCrash, this,
            [](const QUrl& page) { trace(u"reload"_s, page.toString()); });
    connect(&m_page, &QWidget::windowTitleChanged, this, [](const QString& title) { trace(u"title"_s, title); });
    connect(&m_page, &PageWindow::navigationRefused, this, [](const QUrl& page, Refusal refusal) {
        trace(u"refused"_s, refusalName(refusal) + u' ' + page.toString());
    });
    connect(&m_view, &FollowedView::placed, this,
            [](QPointF scroll) { trace(u"scrolled"_s, u"%1 %2"_s.arg(scroll.x()).arg(scroll.y())); });
    connect(&m_view, &FollowedView::zoomed, this,
            [](int percent) { trace(u"zoom"_s, QString::number(percent / 100.0)); });
    connect(&m_view, &FollowedView::pointed, this,
            [](QPointF at) { trace(u"pointer"_s, u"%1 %2"_s.arg(at.x()).arg(at.y())); });
    connect(&m_view, &FollowedView::pointerHidden, this, [] { trace(u"pointer"_s, u"off"_s); });
    // After the trace of the load, so that the trace tells things in their order.
    connect(&m_page, &PageWindow::loadEnded, &m_link, &ChildLink::pageSettled);
}

ChildProgram::~ChildProgram()
{
    // The bar goes before the page window, which still has events on its way out.
    m_page.removeEventFilter(this);
}

bool ChildProgram::eventFilter(QObject* watched, QEvent* event)
{
    // Without a window manager the window shown last is on top. Qt WebEngine makes the page window
    // anew when it is first shown, after the bar was raised: the bar goes above it once more.
    if (watched == &m_page && (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange))
        QTimer::singleShot(0, &m_bar, [this] {
            m_bar.keepAbove();
            m_cover.keepAbove(); // attention covers even the bar
        });
    return QObject::eventFilter(watched, event);
}

bool ChildProgram::start()
{
    if (!m_link.bind())
        return false;
    m_bar.showLookingForMaster(!m_link.isMasterKnown());
    m_bar.showInCorner();
    trace(u"ready"_s, QString::number(m_settings.childPort));
    return true;
}

void ChildProgram::act(const ChildAction& action)
{
    using Kind = ChildAction::Kind;
    switch (action.kind) {
    case Kind::None:
        if (action.refusal == Refusal::None)
            trace(u"ignored"_s);
        else
            trace(u"refused"_s, refusalName(action.refusal) + u' ' + action.page.toString());
        return;
    case Kind::Show:
        m_page.setShown(true);
        m_bar.keepAbove();
        m_cover.keepAbove();
        trace(u"shown"_s);
        return;
    case Kind::Hide:
        m_page.setShown(false);
        trace(u"hidden"_s);
        // End, or this child switched off: the teacher no longer holds this computer.
        m_attention.end(AttentionEnd::Hidden);
        return;
    case Kind::FullScreen:
    case Kind::WindowScreen:
        m_page.setFullScreenMode(action.kind == Kind::FullScreen);
        m_bar.keepAbove();
        m_cover.keepAbove();
        trace(action.kind == Kind::FullScreen ? u"full-screen"_s : u"window"_s);
        return;
    case Kind::CallReceived:
        callConfirmed();
        return;
    case Kind::Place:
        m_view.place(action.spot);
        return;
    case Kind::Pointer:
        m_view.point(action.spot);
        return;
    case Kind::PointerOff:
        m_view.pointerOff();
        return;
    case Kind::Zoom:
        m_view.zoom(action.zoomPercent);
        return;
    case Kind::Open:
        trace(u"open"_s, action.page.toString());
        m_view.pageSent(action.page);
        m_page.open(action.page);
        return;
    }
}

void ChildProgram::actInClassroom(const ClassroomCommand& command)
{
    switch (command.kind) {
    case ClassroomCommand::Kind::Picture: {
        // The page window alone, drawn by itself: never what else is on the student's screen.
        const bool shown = m_page.isVisible() && !m_page.isMinimized();
        m_link.answerPicture(command.token, shown ? m_page.grab().toImage() : QImage());
        return;
    }
    case ClassroomCommand::Kind::AttentionOn:
        m_attention.cover(command.seconds);
        return;
    case ClassroomCommand::Kind::AttentionOff:
        m_attention.end(AttentionEnd::Lifted);
        return;
    }
}

void ChildProgram::callTeacher()
{
    switch (m_link.call()) {
    case ChildLink::CallResult::Sent:
        m_call.sent(m_link.now());
        trace(u"call"_s, u"sent"_s);
        break;
    case ChildLink::CallResult::Failed:
        m_call.failed(m_link.now());
        trace(u"call"_s, u"failed"_s);
        break;
    case ChildLink::CallResult::TooSoon:
        trace(u"call"_s, u"too-soon"_s); // the button still says how the last one went
        return;
    }
    showCallReading();
}

void ChildProgram::callConfirmed()
{
    if (!m_call.confirm(m_link.now())) {
        trace(u"ignored"_s); // no call waits for it
        return;
    }
    qCInfo(callsLog, "call confirmed by the teacher's computer");
    trace(u"call"_s, u"confirmed"_s);
    showCallReading();
}

void ChildProgram::showCallReading()
{
    const std::chrono::milliseconds now = m_link.now();
    const CallState::Reading reading = m_call.readingAt(now);
    if (reading == CallState::Reading::NotReceived && m_callReading == CallState::Reading::Sent) {
        qCInfo(callsLog, "call not confirmed by the teacher's computer in time");
        trace(u"call"_s, u"unconfirmed"_s);
    }
    m_callReading = reading;
    m_bar.showCallReading(reading);
    if (const std::optional<std::chrono::milliseconds> change = m_call.nextChange(now))
        m_callReadingChange.start(*change - now);
    else
        m_callReadingChange.stop();
}

int runChildProgram()
{
    QApplication::setApplicationName(kChildTitle);
    QApplication::setWindowIcon(childIcon());
    // The program runs as long as the session: a hidden page window is no reason to end.
    QApplication::setQuitOnLastWindowClosed(false);
    setProgramTitle(kChildTitle);
    const ConsoleMessageDisplay messages;

    const ChildSettingsResult read =
        readChildSettings(QCoreApplication::arguments().mid(1), {QDir::currentPath(), kSystemSettingsFolder});
    if (read.outcome == ChildSettingsResult::Outcome::Help) {
        std::fputs(qPrintable(usageText()), stdout);
        return kEndedAsAsked;
    }
    if (read.outcome != ChildSettingsResult::Outcome::Run) {
        showMessage(read.errors.join(u'\n'));
        return read.outcome == ChildSettingsResult::Outcome::BadCommandLine ? kBadCommandLine : kBadSettings;
    }
    SingleInstance instance(SingleInstance::userLockFilePath(childLockName(read.settings)));
    if (!instance.tryAcquire()) {
        showMessage(kSecondInstanceText);
        return kAlreadyRunning;
    }
    ChildProgram program(read.settings);
    if (!program.start()) {
        showMessage(portUnusableText(read.settings.bindAddress.toString(), read.settings.childPort));
        return program.portBusy() ? kPortBusy : kBadSettings;
    }
    QApplication::exec(); // returns when the desktop session asks the program to end
    return kEndedAsAsked;
}

} // namespace qh::child
