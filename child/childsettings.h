#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QStringList>

// The child program's settings: the settings file Quillharbour_Child.ini and the command line,
// whose options override the file's values one by one.
//
// The file is code page 932 text, one "Key=Value" per line; blanks around key and value do not
// count, nor does the letter case of a key. Empty lines, lines starting with ";" or "#", and a
// header in square brackets are left aside. The program never writes the file.
//
//     key         option          value
//     Number      --number NN     this computer's number, 01 to 30 (required)
//     Master      --master NAME   the teacher's computer: a name or an IPv4 address (required)
//     ChildPort   --port PORT     the port the pages and commands come to (required)
//     MasterPort  --master-port   the teacher's port that calls go to (required)
//     Bind        --bind ADDRESS  the local IPv4 address to listen on; empty: all (the default)
//     ScreenMode  --window        FullScreen (the default) or WindowScreen; the option: WindowScreen
//     AcceptAny   --accept-any    1: take datagrams from any computer; 0 (the default): the master's only
//     LocalFolders --local-folders FOLDERS  the folders whose files the child shows, absolute, separated
//                                 by ";"; empty: none; the default: the installed demo pages
//     TeacherKey  --teacher-key FILE  the teacher's public key (Quillharbour_Teacher.pub): the child
//                                 then obeys only what that key signed; empty: none; left out: the
//                                 system's /etc/quillharbour/Quillharbour_Teacher.pub when it exists
//
// Both ports are the presenter's ports, 1 to 32767 (isUsablePort): it can neither send to nor be
// reached at any other, so a child set to one would wait in silence.
namespace qh::child {

using namespace Qt::StringLiterals;

inline const QString kChildSettingsFileName = u"Quillharbour_Child.ini"_s;
// The folder where an administrator sets a computer up once for all its users.
inline const QString kSystemSettingsFolder = u"/etc/quillharbour"_s;

// The teacher's public key that the administrator puts on each student computer.
inline const QString kSystemTeacherKeyFile = kSystemSettingsFolder + u"/Quillharbour_Teacher.pub"_s;

inline constexpr int kHighestChildNumber = 30;

struct ChildSettings {
    int number = 0;     // 1..30
    QString masterName; // a computer name or an IPv4 address in text form
    quint16 childPort = 0;
    quint16 masterPort = 0;
    QHostAddress bindAddress{QHostAddress::AnyIPv4};
    bool fullScreen = true;
    bool acceptAnySource = false;
    QStringList localFolders; // the child shows file: pages from these folders only (PageRule)
    QByteArray teacherKey;    // the teacher's public key; empty: none, datagrams are not signed
    QString teacherKeyFile;   // the file it came from
    QString settingsFile;     // the file the values came from, absolute; empty when none was read
};

struct ChildSettingsResult {
    enum class Outcome { Run, Help, BadCommandLine, BadSettings };
    Outcome outcome = Outcome::Run;
    ChildSettings settings;
    QStringList errors; // each names the value and where it came from
};

// Reads the command line (without the program's name) and the settings file: the one named by
// --settings, else the first Quillharbour_Child.ini in the folders given, in order. Checks every
// value; the master's name is not looked up here, so that reading never waits for the name service.
ChildSettingsResult readChildSettings(const QStringList& arguments, const QStringList& searchFolders);

// The text --help prints.
QString usageText();

// The name of the single-instance lock: one instance per user, child port and listening address.
QString childLockName(const ChildSettings& settings);

} // namespace qh::child
