#pragma once

#include <QString>

namespace qh::master {

// The one browser window the presenter drives, with the members the presenter uses. The program
// uses the Qt WebEngine window (WebBrowser); tests may drive the presenter with a scripted one.
class Browser
{
public:
    virtual ~Browser() = default;

    // Starts loading the address; Busy() is true from here until the page has loaded or failed.
    virtual void Navigate(const QString& address) = 0;
    virtual bool Busy() const = 0;

    virtual bool Visible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool ToolBar() const = 0;
    virtual void setToolBar(bool shown) = 0;
    virtual bool MenuBar() const = 0;
    virtual void setMenuBar(bool shown) = 0;
    virtual bool FullScreen() const = 0;
    virtual void setFullScreen(bool fullScreen) = 0;

    // The address shown now, as the browser writes it.
    virtual QString LocationURL() const = 0;
};

} // namespace qh::master
