#include "common/browserwindow.h"

#include "common/untrustedpage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <utility>

namespace qh {

BrowserWindow::BrowserWindow(QWidget* parent) : QWebEngineView(parent), m_page(new UntrustedPage(this))
{
    setPage(m_page);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableGeometry().size() * 3 / 4);
    connect(this, &QWebEngineView::titleChanged, this, &QWidget::setWindowTitle);
}

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
