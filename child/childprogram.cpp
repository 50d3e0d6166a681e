#include "child/childprogram.h"

#include "child/childmessages.h"
#include "child/childtrace.h"
#include "child/consolemessages.h"
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
    connect(m_bar.callButton(), &QPushButton::clicked, this, &ChildProgram::callTeacher);
    m_page.installEventFilter(this);

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
        QTimer::singleShot(0, &m_bar, &ChildBar::keepAbove);
    return QObject::eventFilter(watched, event);
}

bool ChildProgram::start()
{
    if (!m_link.bind())
        return false;
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
        trace(u"shown"_s);
        return;
    case Kind::Hide:
        m_page.setShown(false);
        trace(u"hidden"_s);
        return;
    case Kind::FullScreen:
    case Kind::WindowScreen:
        m_page.setFullScreenMode(action.kind == Kind::FullScreen);
        m_bar.keepAbove();
        trace(action.kind == Kind::FullScreen ? u"full-screen"_s : u"window"_s);
        return;
    case Kind::Open:
        trace(u"open"_s, action.page.toString());
        m_page.open(action.page);
        return;
    }
}

void ChildProgram::callTeacher()
{
    const ChildLink::CallResult result = m_link.call();
    switch (result) {
    case ChildLink::CallResult::Sent:
        m_bar.showCallResult(true);
        trace(u"call"_s, u"sent"_s);
        return;
    case ChildLink::CallResult::Failed:
        m_bar.showCallResult(false);
        trace(u"call"_s, u"failed"_s);
        return;
    case ChildLink::CallResult::TooSoon:
        trace(u"call"_s, u"too-soon"_s); // the button still says that the last one went out
        return;
    }
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
        return 0;
    }
    if (read.outcome != ChildSettingsResult::Outcome::Run) {
        showMessage(read.errors.join(u'\n'));
        return read.outcome == ChildSettingsResult::Outcome::BadCommandLine ? 2 : 1;
    }
    SingleInstance instance(SingleInstance::userLockFilePath(childLockName(read.settings)));
    if (!instance.tryAcquire()) {
        showMessage(kSecondInstanceText);
        return 0;
    }
    ChildProgram program(read.settings);
    if (!program.start()) {
        showMessage(portUnusableText(read.settings.bindAddress.toString(), read.settings.childPort));
        return 1;
    }
    return QApplication::exec();
}

} // namespace qh::child
