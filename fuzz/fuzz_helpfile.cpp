// Feeds arbitrary bytes as a help file: decoded as the viewer decodes it (UTF-8, else code page
// 932) and laid out as HTML, to find help files that crash the viewer's loading.
#include "help/helpfile.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>

// The font and layout caches of Qt GUI live to the end of the process; reports of them as leaks
// would hide the runs' real findings.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The document needs the application's fonts; it lives for the whole run.
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument document;
    document.setHtml(qh::help::helpHtml(bytes));
    document.setTextWidth(400);
    (void)document.metaInformation(QTextDocument::DocumentTitle);
    (void)document.size();
    return 0;
}
