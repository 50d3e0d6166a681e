// Feeds arbitrary addresses to the child's page rule, with a local folder in a real folder tree
// that holds the ways out of it: a link to a folder outside, a link to a file outside, a sibling
// folder whose name starts with the folder's name. Finds an address that the rule would let the
// child open outside its folder, a data: page it would open, or one that crashes it.
//
// "%ROOT%" in an input stands for the tree's place, so that the corpus can name its files:
//     ROOT/pages/a.html  ROOT/pages/sub/b.html  ROOT/pages/out -> ../secret
//     ROOT/pages/link.html -> ../secret/s.html  ROOT/pages2/c.html  ROOT/secret/s.html
#include "common/pagerule.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits.h>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void makeFile(const std::string& path)
{
    if (FILE* file = std::fopen(path.c_str(), "w"))
        std::fclose(file);
}

// The tree's place: plain characters, still there when the tree is removed at exit.
char g_root[] = "/tmp/qh-fuzz-pagerule-XXXXXX";

// The tree, made once per run in a fresh temporary folder and removed at exit.
const std::string& root()
{
    static const std::string made = [] {
        if (!mkdtemp(g_root))
            std::abort();
        const std::string base = g_root;
        for (const char* sub : {"/pages", "/pages/sub", "/pages2", "/secret"})
            mkdir((base + sub).c_str(), 0700);
        for (const char* file : {"/pages/a.html", "/pages/sub/b.html", "/pages2/c.html", "/secret/s.html"})
            makeFile(base + file);
        if (symlink("../secret", (base + "/pages/out").c_str()) != 0 ||
            symlink("../secret/s.html", (base + "/pages/link.html").c_str()) != 0)
            std::abort();
        std::atexit([] { std::filesystem::remove_all(g_root); });
        return base;
    }();
    return made;
}

// The system's own answer, apart from Qt's: the real path of a file, or empty.
std::string realPathOf(const QString& path)
{
    char real[PATH_MAX];
    const QByteArray name = path.toLocal8Bit();
    if (name.contains('\0') || !realpath(name.constData(), real))
        return {};
    return real;
}

bool isUnderPages(const std::string& real)
{
    const std::string pages = realPathOf(QString::fromStdString(root() + "/pages"));
    return real == pages || real.rfind(pages + "/", 0) == 0;
}

// A file the rule accepted must be under the folder by the system's own reading of its path.
void checkAcceptedFile(const QUrl& page)
{
    if (!page.host().isEmpty())
        std::abort();
    const std::string real = realPathOf(page.toLocalFile());
    if (real.empty() || !isUnderPages(real))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString address = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    address.replace(QStringLiteral("%ROOT%"), QString::fromStdString(root()));
    static const qh::child::PageRule rule({QString::fromStdString(root() + "/pages")});

    const qh::child::PageCheck check = rule.check(address);
    const bool isData = QUrl(address.trimmed()).scheme().compare(QStringLiteral("data"), Qt::CaseInsensitive) == 0;
    if (isData && check.refusal != qh::child::Refusal::Data)
        std::abort();
    if (check.refusal == qh::child::Refusal::None) {
        const QString scheme = check.page.scheme();
        if (scheme == QStringLiteral("file"))
            checkAcceptedFile(check.page);
        else if (!((scheme == QStringLiteral("http") || scheme == QStringLiteral("https")) &&
                   !check.page.host().isEmpty()))
            std::abort();
        // What the rule gives the browser is accepted again as it stands.
        if (rule.refusalOf(check.page) != qh::child::Refusal::None)
            std::abort();
    }

    // The same text as an address a page goes to by itself.
    const QUrl followed(address);
    if (rule.refusalOf(followed) == qh::child::Refusal::None) {
        const QString scheme = followed.scheme();
        if (scheme == QStringLiteral("file"))
            checkAcceptedFile(followed);
        else if (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))
            std::abort();
    }
    return 0;
}
