#include "helpviewer.h"

#include "cp932text.h"
#include "datafiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace qh::help {

QString findHelpFile(const QString& name, const QString& programFolder)
{
    if (name.isEmpty())
        return {};
    if (QFileInfo(name).isFile())
        return QFileInfo(name).absoluteFilePath();
    if (QFileInfo(name).isRelative())
        return findDataFile(name, programFolder);
    return {};
}

QString helpHtml(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return cp932::decode(bytes);
}

HelpWindow::HelpWindow(const QString& name, const QString& programFolder, QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(u"HelpWindow"_qs);
    setOpenExternalLinks(true);
    resize(720, 640);
    const QString path = findHelpFile(name, programFolder);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        setWindowTitle(u"ヘルプ"_qs);
        setPlainText(u"ヘルプファイル「%1」が見つかりません。"_qs.arg(name));
        return;
    }
    m_fileFound = true;
    setWindowTitle(u"ヘルプ - "_qs + QFileInfo(path).fileName());
    // Links between sections and to pictures are resolved beside the help file.
    setSearchPaths({QFileInfo(path).absolutePath()});
    setHtml(helpHtml(file.readAll()));
    if (!documentTitle().isEmpty())
        setWindowTitle(documentTitle());
}

} // namespace qh::help
