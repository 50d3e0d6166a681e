#pragma once

#include <QString>

namespace qh::master {

// The one browser window the presenter drives. The program uses the Qt WebEngine window
// (WebBrowser); tests may drive the presenter with a scripted one.
class Browser
{
public:
    virtual ~Browser() = default;

    // Starts loading the address; isBusy() is true from here until the page has loaded or failed.
    virtual void navigate(const QString& address) = 0;
    virtual bool isBusy() const = 0;
    // A page is loading in the window now, one navigate() asked for or one the user opened in it.
    virtual bool isLoading() const = 0;

    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool hasToolBar() const = 0;
    virtual void setToolBar(bool shown) = 0;
    virtual bool hasMenuBar() const = 0;
    virtual void setMenuBar(bool shown) = 0;
    virtual bool isFullScreen() const = 0;
    virtual void setFullScreen(bool fullScreen) = 0;

    // The address shown now, as the browser writes it; one that code page 932 cannot hold unchanged
    // in its fully encoded form (sendableAddress()), since this is what the children are sent.
    virtual QString locationUrl() const = 0;
};

} // namespace qh::master
