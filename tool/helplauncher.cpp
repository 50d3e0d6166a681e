#include "tool/helplauncher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

namespace qh::tool {

QString siblingProgram(const QString& name)
{
    const QString besideUs = QCoreApplication::applicationDirPath() + u'/' + name;
    if (QFileInfo(besideUs).isExecutable())
        return besideUs;
    return name;
}

QString helpViewerProgram()
{
    return siblingProgram(kHelpViewerName);
}

bool startHelpViewer()
{
    return QProcess::startDetached(helpViewerProgram(), {kHelpFileName});
}

bool startLessonEditor()
{
    return QProcess::startDetached(siblingProgram(kLessonEditorName), {});
}

} // namespace qh::tool
