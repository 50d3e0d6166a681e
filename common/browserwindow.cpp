#include "common/browserwindow.h"

#include "common/pageprofile.h"
#include "common/untrustedpage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <utility>

namespace qh {

BrowserWindow::BrowserWindow(QWidget* parent) : BrowserWindow(std::make_unique<PageProfile>(), parent) {}

BrowserWindow::BrowserWindow(std::unique_ptr<PageProfile> profile, QWidget* parent)
    : QWebEngineView(parent), m_profile(std::move(profile)),
      m_page(std::make_unique<UntrustedPage>(PagePolicy{m_profile.get()}, nullptr))
{
    setPage(m_page.get());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableGeometry().size() * 3 / 4);
    connect(this, &QWebEngineView::titleChanged, this, &QWidget::setWindowTitle);
}

BrowserWindow::~BrowserWindow() = default;

void BrowserWindow::setFullScreenMode(bool fullScreen)
{
    m_fullScreen = fullScreen;
    if (isVisible())
        showInMode();
}

void BrowserWindow::showInMode()
{
    if (m_fullScreen) {
        // A window manager makes a full-screen window cover its screen; on a bare X server (a
        // classroom computer that runs no desktop) only the window's own size does.
        if (!isFullScreen())
            m_windowGeometry = geometry();
        if (const QScreen* own = screen())
            setGeometry(own->geometry());
        showFullScreen();
    } else if (isFullScreen() || !isVisible()) {
        showNormal();
        if (m_windowGeometry.isValid())
            setGeometry(std::exchange(m_windowGeometry, QRect()));
    }
}

void BrowserWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

} // namespace qh
