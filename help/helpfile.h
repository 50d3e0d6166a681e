#pragma once

#include <QByteArray>
#include <QString>

namespace qh::help {

// Where the viewer finds a help file given by name: a name with a folder, or one found in the
// current working directory, is taken as it is; else the file among the programs' data files
// (common/datafiles.h): next to the viewer's executable, else in the installed share folder.
// Returns the empty text when none exists.
QString findHelpFile(const QString& name, const QString& programFolder);

// The help file's content as HTML: a help file is UTF-8 HTML, and one that is not valid UTF-8 is
// read as code page 932.
QString helpHtml(const QByteArray& bytes);

} // namespace qh::help
