#pragma once

#include <QString>

namespace qh::tool {

// The help file, named bare: the help viewer looks for it itself.
using namespace Qt::StringLiterals;

inline const QString kHelpFileName = u"Quillharbour_Master.hlp"_s;
inline const QString kHelpViewerName = u"Quillharbour_Help"_s;

// The viewer to start: the one next to this program's executable, else the bare name, found on PATH.
QString helpViewerProgram();

// Starts the help viewer on the help file as a separate process in the current working directory,
// neither waiting for it nor watching it. Returns whether it started; callers show nothing either way.
bool startHelpViewer();

} // namespace qh::tool
