#include "tool/helplauncher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

namespace qh::tool {

QString helpViewerProgram()
{
    const QString besideUs = QCoreApplication::applicationDirPath() + u'/' + kHelpViewerName;
    if (QFileInfo(besideUs).isExecutable())
        return besideUs;
    return kHelpViewerName;
}

bool startHelpViewer()
{
    return QProcess::startDetached(helpViewerProgram(), {kHelpFileName});
}

} // namespace qh::tool
