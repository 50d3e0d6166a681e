#include "common/browserwindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace qh {

BrowserWindow::BrowserWindow(QWidget* parent) : QWebEngineView(parent)
{
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
    if (m_fullScreen)
        showFullScreen();
    else if (isFullScreen() || !isVisible())
        showNormal();
}

void BrowserWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

} // namespace qh
