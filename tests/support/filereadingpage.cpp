#include "tests/support/filereadingpage.h"

#include "tests/support/testfiles.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace qh::test {

namespace {
// A picture of one pixel.
const QByteArray kPng = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");

// The tries, in the order of the title. A frame that ran says so by a message to the page; one
// that loads nothing of the file (an error page) ends without it. Whatever a try never ends by
// itself is counted blocked after the last bound.
const char* const kReader = R"(<html><head><title>reading</title></head><body><script>
const own = '%1/pages/own', out = '%1/outside/secret';
const keys = ['fetch-own', 'fetch-out', 'xhr-own', 'xhr-out', 'img-own', 'img-out', 'frame-own', 'frame-out'];
const results = {};
function done(key, value) {
    if (key in results) return;
    results[key] = value;
    if (keys.every(k => k in results)) document.title = keys.map(k => k + '=' + results[k]).join(' ');
}
function tryFetch(key, url) {
    try { fetch(url).then(r => r.text()).then(t => done(key, t.trim() || 'blocked'), () => done(key, 'blocked')); }
    catch (e) { done(key, 'blocked'); }
}
function tryXhr(key, url) {
    try {
        const x = new XMLHttpRequest();
        x.open('GET', url);
        x.onload = () => done(key, x.responseText.trim() || 'blocked');
        x.onerror = () => done(key, 'blocked');
        x.send();
    } catch (e) { done(key, 'blocked'); }
}
function tryImage(key, url) {
    const image = new Image();
    image.onload = () => done(key, 'loaded');
    image.onerror = () => done(key, 'blocked');
    image.src = url;
}
function tryFrame(key, url) {
    const frame = document.createElement('iframe');
    frame.onload = () => setTimeout(() => done(key, 'blocked'), 1000);
    frame.src = url;
    document.body.appendChild(frame);
}
window.addEventListener('message', e => done(e.data, 'ran'));
tryFetch('fetch-own', own + '.txt'); tryFetch('fetch-out', out + '.txt');
tryXhr('xhr-own', own + '.txt'); tryXhr('xhr-out', out + '.txt');
tryImage('img-own', own + '.png'); tryImage('img-out', out + '.png');
tryFrame('frame-own', own + '.html'); tryFrame('frame-out', out + '.html');
setTimeout(() => keys.forEach(k => done(k, 'blocked')), 10000);
</script></body></html>)";

QByteArray frame(const char* key)
{
    return QByteArray("<html><body><script>parent.postMessage('") + key + "', '*')</script></body></html>";
}
} // namespace

FileReadingPage::FileReadingPage()
{
    QDir root(m_root.path());
    const QString base = QUrl::fromLocalFile(QFileInfo(m_root.path()).canonicalFilePath()).toString();
    m_valid = m_root.isValid() && root.mkpath(u"pages"_s) && root.mkpath(u"outside"_s) &&
              writeAll(root.filePath(u"pages/reader.html"_s), QString::fromLatin1(kReader).arg(base).toUtf8()) &&
              writeAll(root.filePath(u"pages/own.txt"_s), "own") && writeAll(root.filePath(u"pages/own.png"_s), kPng) &&
              writeAll(root.filePath(u"pages/own.html"_s), frame("frame-own")) &&
              writeAll(root.filePath(u"outside/secret.txt"_s), "secret") &&
              writeAll(root.filePath(u"outside/secret.png"_s), kPng) &&
              writeAll(root.filePath(u"outside/secret.html"_s), frame("frame-out"));
}

QString FileReadingPage::pagesFolder() const
{
    return QFileInfo(m_root.filePath(u"pages"_s)).canonicalFilePath();
}

QUrl FileReadingPage::url() const
{
    return QUrl::fromLocalFile(QDir(pagesFolder()).filePath(u"reader.html"_s));
}

} // namespace qh::test
