#pragma once

#include <QString>
#include <QStringList>

// The launcher that the menu entries start. The programs open their files by bare name in the
// working folder, and a menu entry has none that is useful, so the launcher runs each program in
// the class folder ~/Quillharbour, which it makes from the installed templates on the first start.
namespace qh::launcher {

using namespace Qt::StringLiterals;

inline const QString kClassFolderName = u"Quillharbour"_s;

// The files a new class folder starts with, copied from the programs' data files: the presenter's
// configuration and a URL list of the demo pages under the name the presenter reads by default.
QStringList classFolderTemplates();

struct ClassFolder {
    QString path;
    bool created = false; // made just now, on this start
    QByteArray publicKey; // when made just now: the public half of the teacher's key made with it
    QString error;        // a message for the user; empty when the folder is ready
};

// Makes sure that homeFolder/Quillharbour exists. When it does (as a folder), nothing in it is
// touched. Otherwise it is filled in a hidden folder beside it and renamed into place, so that a
// failure or a second launcher starting at the same moment never leaves a half-made class folder.
// The templates are found with findDataFile() from programFolder; a new teacher's key is made with
// them, so that the presenter signs from the first lesson on.
ClassFolder prepareClassFolder(const QString& homeFolder, const QString& programFolder);

// What `Quillharbour_Launcher --make-key [FOLDER]` does: makes the teacher's key pair in the folder,
// never over an existing key. The exit status, and what goes to the standard output (the line of
// the public key file, then its fingerprint) or to the standard error.
struct KeyCommand {
    int status = 0;
    QString output;
    QString error;
};
KeyCommand makeKeyCommand(const QString& folder);

// The program to run: a name with a folder as it is, else the program next to the launcher when
// there is one (the installed programs share a folder), else the bare name, found on PATH.
QString programPath(const QString& name, const QString& launcherFolder);

} // namespace qh::launcher
