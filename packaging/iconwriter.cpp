#include "common/programicons.h"
#include "common/programinfo.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>
#include <utility>

using namespace Qt::StringLiterals;

// qh_icon_writer FOLDER: writes the programs' icons, as the code draws them for their windows, into
// PNG files of the hicolor icon theme, FOLDER/hicolor/<size>x<size>/apps/<program>.png, so that the
// menu and the task bar show the same picture as the windows. The build runs it offscreen.
int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: qh_icon_writer FOLDER\n", stderr);
        return 2;
    }
    const QList<std::pair<QString, QIcon>> icons = {
        {qh::kPresenterTitle, qh::presenterIcon()},
        {qh::kToolTitle, qh::toolIcon()},
        {u"Quillharbour_Lesson"_s, qh::lessonIcon()},
#ifdef QH_WITH_CHILD_ICON
        {u"Quillharbour_Child"_s, qh::childIcon()},
#endif
    };
    const QDir folder(arguments.at(1));
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString sizeFolder = u"hicolor/%1x%1/apps"_s.arg(size);
        if (!folder.mkpath(sizeFolder)) {
            std::fprintf(stderr, "qh_icon_writer: cannot make %s\n", qPrintable(folder.filePath(sizeFolder)));
            return 1;
        }
        for (const auto& [name, icon] : icons) {
            // An icon has a drawing for each size; a smaller one scaled up would look blurred.
            const QPixmap pixmap = icon.pixmap(QSize(size, size));
            const QString path = folder.filePath(sizeFolder + u'/' + name + u".png"_s);
            if (pixmap.size() != QSize(size, size) || !pixmap.save(path, "PNG")) {
                std::fprintf(stderr, "qh_icon_writer: cannot write %s at %d pixels\n", qPrintable(path), size);
                return 1;
            }
        }
    }
    return 0;
}
