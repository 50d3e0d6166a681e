#pragma once

#include "tests/support/messagecapture.h"
#include "tests/support/testfiles.h"
#include "tool/settingswindow.h"

#include <QList>
#include <QPointer>
#include <QVariant>

namespace qh {
class AboutBox;
}

namespace qh::test {

// The settings window as the program opens it; it deletes itself when it is closed, so the test
// only deletes one that is still open.
class OpenWindow
{
public:
    OpenWindow();
    ~OpenWindow();
    OpenWindow(const OpenWindow&) = delete;
    OpenWindow& operator=(const OpenWindow&) = delete;

    tool::SettingsWindow* operator->() const { return m_window.data(); }
    tool::SettingsWindow* get() const { return m_window.data(); }
    bool isOpen() const { return !m_window.isNull(); }

    template <typename Widget> Widget* control(const QString& name) const { return m_window->findChild<Widget*>(name); }

    // The value a control shows: a text box's text, a check box's tick, a list's selected index.
    QVariant value(const QString& name) const;

private:
    QPointer<tool::SettingsWindow> m_window;
};

// The About boxes on screen, found as the user sees them; a program shows at most one.
QList<AboutBox*> shownAboutBoxes();

// The configuration file of the tests' data folder, as bytes.
QByteArray exampleBytes();

// The settings tool as it starts in a folder of its own: the configuration file holds `settings`
// (a null array: there is none), messages are captured, and the window has loaded.
class ToolSession
{
public:
    explicit ToolSession(const QByteArray& settings = exampleBytes());

    const WorkingFolder folder;
    MessageCapture messages;

private:
    bool m_written; // the file is in place before the window loads it

public:
    const OpenWindow window;
};

} // namespace qh::test
