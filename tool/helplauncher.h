#pragma once

#include <QString>

// The programs the settings tool starts, each as a separate process in the current working
// directory that the tool neither waits for nor watches: the help viewer and the lesson editor.
namespace qh::tool {

using namespace Qt::StringLiterals;

// The help file, named bare: the help viewer looks for it itself.
inline const QString kHelpFileName = u"Quillharbour_Master.hlp"_s;
inline const QString kHelpViewerName = u"Quillharbour_Help"_s;
inline const QString kLessonEditorName = u"Quillharbour_Lesson"_s;

// The program to start: the one next to this program's executable, else the bare name, found on PATH.
QString siblingProgram(const QString& name);
QString helpViewerProgram();

// Starts the help viewer on the help file. Returns whether it started; callers show nothing either way.
bool startHelpViewer();

// Starts the lesson editor on the working folder's default URL list. Returns whether it started.
bool startLessonEditor();

} // namespace qh::tool
