#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

// A Wayland client cannot keep its window above the others, so the presenter's bar would sink
// behind the browser. Through XWayland (Qt's xcb platform) staying on top works.
namespace qh {

// The Qt platform for a program whose window must stay on top, from the environment it starts in:
// "xcb" on a Wayland session (WAYLAND_DISPLAY set) that offers XWayland (DISPLAY set) when the user
// has not chosen a platform (QT_QPA_PLATFORM unset or empty); otherwise empty, Qt's own choice.
// Without DISPLAY, xcb could not start at all, so Wayland is left to Qt then.
QByteArray stayOnTopPlatform(const QProcessEnvironment& environment);

// Sets QT_QPA_PLATFORM to stayOnTopPlatform() of this process's environment, if that is not empty.
// Call it in main() before the application object is made.
void chooseStayOnTopPlatform();

} // namespace qh
