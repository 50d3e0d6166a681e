#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace qh::test {

// A local page that tries every way a page has to read files: fetch, XMLHttpRequest, an image and
// a frame, each of a file in its own folder ("own") and of one in a folder beside it ("out", what
// a page must not reach). Once every try has ended it writes the results into its title, in a
// fixed order, for example "fetch-own=own fetch-out=secret xhr-own=blocked ... frame-out=ran": a
// text file's content or "blocked", an image "loaded" or "blocked", a frame "ran" or "blocked".
//
//     ROOT/pages/reader.html, own.txt ("own"), own.png, own.html
//     ROOT/outside/secret.txt ("secret"), secret.png, secret.html
class FileReadingPage
{
public:
    FileReadingPage();

    bool isValid() const { return m_valid; }
    QString pagesFolder() const;
    QUrl url() const;

private:
    QTemporaryDir m_root;
    bool m_valid = false;
};

} // namespace qh::test
