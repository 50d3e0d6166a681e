#pragma once

#include <QString>
#include <QStringList>

// The files that come with the programs (the help file, the registry stand-in, the templates of a
// class folder) lie next to the programs in the build tree (bin/), and in
// <prefix>/share/quillharbour once installed. The installed place is found from the program's own
// folder (<prefix>/bin), so the programs work under any install prefix.
namespace qh {

// The folders that may hold such a file, in the order they are searched: the program's own folder,
// then ../share/quillharbour from it.
QStringList dataFolders(const QString& programFolder);

// The first file called fileName in those folders, as an absolute path; empty when there is none.
QString findDataFile(const QString& fileName, const QString& programFolder);

// The same for the running program (needs the application object).
QString findDataFile(const QString& fileName);

} // namespace qh
