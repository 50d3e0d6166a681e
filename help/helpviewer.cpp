#include "help/helpviewer.h"

#include "common/textfile.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace qh::help {

namespace {
// A help file is a page of text: a file far larger is refused, not read.
constexpr qint64 kMaxHelpFileBytes = 16 * 1024 * 1024;
} // namespace

HelpWindow::HelpWindow(const QString& name, const QString& programFolder, QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(u"HelpWindow"_s);
    setOpenExternalLinks(true);
    resize(720, 640);
    const QString path = findHelpFile(name, programFolder);
    const FileBytes file = path.isEmpty() ? FileBytes{FileStatus::Missing, {}} : readWholeFile(path, kMaxHelpFileBytes);
    if (file.status != FileStatus::Ok) {
        setWindowTitle(u"ヘルプ"_s);
        setPlainText(file.status == FileStatus::Missing ? u"ヘルプファイル「%1」が見つかりません。"_s.arg(name)
                                                        : u"ヘルプファイル「%1」を読めません。"_s.arg(name));
        return;
    }
    m_fileFound = true;
    setWindowTitle(u"ヘルプ - "_s + QFileInfo(path).fileName());
    // Links between sections and to pictures are resolved beside the help file.
    setSearchPaths({QFileInfo(path).absolutePath()});
    setHtml(helpHtml(file.bytes));
    if (!documentTitle().isEmpty())
        setWindowTitle(documentTitle());
}

} // namespace qh::help
