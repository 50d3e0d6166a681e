#pragma once

#include <QIcon>

// The programs' icons, drawn here rather than shipped as image files. Each program sets its
// own as the application's window icon; the About box shows whichever is set.
namespace qh {

// A monitor with a page on it and a small pointer to two smaller screens: one page, many screens.
QIcon presenterIcon();

// A settings sheet: three rows of ticked boxes beside lines of text.
QIcon toolIcon();

// A student's screen showing the page, with a raised hand that calls the teacher.
QIcon childIcon();

// A lesson: a stack of pages in order, the top one ticked as checked.
QIcon lessonIcon();

} // namespace qh
