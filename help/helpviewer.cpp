#include "help/helpviewer.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace qh::help {

HelpWindow::HelpWindow(const QString& name, const QString& programFolder, QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(u"HelpWindow"_s);
    setOpenExternalLinks(true);
    resize(720, 640);
    const QString path = findHelpFile(name, programFolder);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        setWindowTitle(u"ヘルプ"_s);
        setPlainText(u"ヘルプファイル「%1」が見つかりません。"_s.arg(name));
        return;
    }
    m_fileFound = true;
    setWindowTitle(u"ヘルプ - "_s + QFileInfo(path).fileName());
    // Links between sections and to pictures are resolved beside the help file.
    setSearchPaths({QFileInfo(path).absolutePath()});
    setHtml(helpHtml(file.readAll()));
    if (!documentTitle().isEmpty())
        setWindowTitle(documentTitle());
}

} // namespace qh::help
