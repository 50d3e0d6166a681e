#include "helplauncher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

namespace qh::tool {

namespace {
QString g_helpViewerProgram;
} // namespace

QString helpViewerProgram()
{
    if (!g_helpViewerProgram.isEmpty())
        return g_helpViewerProgram;
    const QString besideUs = QCoreApplication::applicationDirPath() + u'/' + kHelpViewerName;
    if (QFileInfo(besideUs).isExecutable())
        return besideUs;
    return kHelpViewerName;
}

void setHelpViewerProgram(const QString& program)
{
    g_helpViewerProgram = program;
}

bool startHelpViewer()
{
    return QProcess::startDetached(helpViewerProgram(), {kHelpFileName});
}

} // namespace qh::tool
