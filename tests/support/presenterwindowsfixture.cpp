#include "tests/support/presenterwindowsfixture.h"

#include "master/callwindow.h"

#include <QListWidget>

namespace qh::test {

QStringList callEntries(const master::CallReception& calls)
{
    QStringList entries;
    if (const master::CallWindow* window = calls.window()) {
        for (int row = 0; row < window->callList()->count(); ++row)
            entries.append(window->callList()->item(row)->text());
    }
    return entries;
}

PresenterWindowsFixture::~PresenterWindowsFixture()
{
    // The windows hold on to the presenter, which the base releases after this.
    m_windows.reset();
}

master::Presenter& PresenterWindowsFixture::make(master::PresenterOptions options)
{
    m_windows.reset();
    master::Presenter& made = PresenterFixture::make(std::move(options));
    m_windows = std::make_unique<master::PresenterWindows>(made);
    return made;
}

master::Presenter& PresenterWindowsFixture::makeWithWebBrowser()
{
    master::PresenterOptions options;
    options.createBrowser = [this] {
        auto made = std::make_unique<master::WebBrowser>();
        m_webBrowser = made.get();
        return made;
    };
    return make(std::move(options));
}

} // namespace qh::test
