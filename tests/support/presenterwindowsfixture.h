#pragma once

#include "master/presenterwindows.h"
#include "master/webbrowser.h"
#include "tests/support/presenterfixture.h"

#include <QPointer>
#include <QStringList>

#include <memory>

namespace qh::test {

// The entries of the call window, oldest first; none while there is no window.
QStringList callEntries(const master::CallReception& calls);

// The presenter of PresenterFixture with its windows wired to it, as the program runs it: for
// tests of the bar, the control panel and the call window at work.
class PresenterWindowsFixture : public PresenterFixture
{
public:
    PresenterWindowsFixture() = default;
    ~PresenterWindowsFixture() override;

    master::Presenter& make(master::PresenterOptions options = {}) override;
    // The presenter with the real Qt WebEngine browser, webBrowser() until End releases it.
    master::Presenter& makeWithWebBrowser();
    master::WebBrowser* webBrowser() const { return m_webBrowser.data(); }
    master::PresenterWindows& windows() { return *m_windows; }
    master::PresenterBar& bar() { return m_windows->bar(); }

private:
    std::unique_ptr<master::PresenterWindows> m_windows;
    QPointer<master::WebBrowser> m_webBrowser;
};

} // namespace qh::test
