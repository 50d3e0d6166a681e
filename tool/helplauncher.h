#pragma once

#include <QString>

namespace qh::tool {

// The help file, named bare: the help viewer looks for it itself.
inline const QString kHelpFileName = QStringLiteral("Quillharbour_Master.hlp");
inline const QString kHelpViewerName = QStringLiteral("Quillharbour_Help");

// The viewer to start: the one set by setHelpViewerProgram(), else the viewer next to this
// program's executable, else the bare name, found on PATH.
QString helpViewerProgram();
void setHelpViewerProgram(const QString& program);

// Starts the help viewer on the help file as a separate process in the current working directory,
// neither waiting for it nor watching it. Returns whether it started; callers show nothing either way.
bool startHelpViewer();

} // namespace qh::tool
