#pragma once

#include <QRect>
#include <QWebEngineView>

#include <memory>

namespace qh {

class PageProfile;
class UntrustedPage;

// The top-level window in which both the presenter and a child show their pages, on an
// UntrustedPage (untrustedpage.h) in a profile of the window's own (pageprofile.h), by default the
// one of the teacher's pages.
// Its caption is the page's title. Closing it only hides it: the program still drives
// it, and the next command shows it again. Its screen mode, full screen or a normal window, holds whenever it is shown,
// also when it was chosen while the window was hidden.
class BrowserWindow : public QWebEngineView
{
    Q_OBJECT
public:
    explicit BrowserWindow(QWidget* parent = nullptr);
    // The window keeps the profile until its page has gone.
    explicit BrowserWindow(std::unique_ptr<PageProfile> profile, QWidget* parent = nullptr);
    ~BrowserWindow() override;

    UntrustedPage* untrustedPage() const { return m_page.get(); }
    PageProfile* pageProfile() const { return m_profile.get(); }

    bool isFullScreenMode() const { return m_fullScreen; }
    // Applies at once when the window is shown, else at its next showing.
    void setFullScreenMode(bool fullScreen);
    // Shows the window in its screen mode.
    void showInMode();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<PageProfile> m_profile; // before the page, which goes first
    std::unique_ptr<UntrustedPage> m_page;
    bool m_fullScreen = false;
    QRect m_windowGeometry; // the window's place before it went full screen
};

} // namespace qh
