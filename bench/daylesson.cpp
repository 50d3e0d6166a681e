#include "bench/daylesson.h"

#include "tests/support/testfiles.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace qh::bench {

namespace {

constexpr int kEntries = 25;
constexpr int kPictures = 40;
constexpr int kSlowScripts = 5;
constexpr int kSlowScriptMs = 300;

QString fileAddress(const QString& folder, const QString& name)
{
    return QUrl::fromLocalFile(QDir(folder).filePath(name)).toString();
}

void writePage(const QString& folder, const QString& name, const QString& title, const QString& body)
{
    test::writeAll(QDir(folder).filePath(name), (u"<!DOCTYPE html><html><head><meta charset='utf-8'><title>"_s + title +
                                                 u"</title></head><body>"_s + body + u"</body></html>"_s)
                                                    .toUtf8());
}

// About 150 KB of text in Japanese and English, different for each seed.
QString longText(int seed)
{
    QString text;
    for (int paragraph = 0; paragraph < 300; ++paragraph) {
        text += u"<p>第%1課 段落%2: 川は山から海へ流れ、雨は雲から降り、季節はめぐる。"_s.arg(seed).arg(paragraph);
        text += u"Rivers run from the mountains to the sea, and every paragraph of lesson %1 is a little "
                u"different: %2.</p>"_s.arg(seed)
                    .arg(paragraph * 7919 % 10007);
    }
    return text;
}

// Small pictures, each of its own colours, so that every one is decoded for itself.
void writePictures(const QString& folder)
{
    for (int index = 0; index < kPictures; ++index) {
        QImage picture(240, 160, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(index * 9 % 360, 160, 220));
        QPainter painter(&picture);
        for (int line = 0; line < 16; ++line)
            painter.fillRect(line * 15, (index * 13 + line * 29) % 140, 12, 20, QColor::fromHsv(line * 22, 255, 120));
        painter.end();
        picture.save(QDir(folder).filePath(u"picture-%1.png"_s.arg(index)));
    }
}

// A 2 s loop of 320x240 at 15 frames a second, made by vpxenc from frames written here; false
// when vpxenc is not there or failed.
bool writeVideo(const QString& folder)
{
    const QString encoder = QStandardPaths::findExecutable(u"vpxenc"_s);
    if (encoder.isEmpty())
        return false;
    constexpr int width = 320;
    constexpr int height = 240;
    QByteArray frames = "YUV4MPEG2 W320 H240 F15:1 Ip A1:1 C420jpeg\n";
    for (int frame = 0; frame < 30; ++frame) {
        frames += "FRAME\n";
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                frames += char((x + y + frame * 8) % 256);
        }
        frames += QByteArray(width * height / 4, char(90 + frame * 4));
        frames += QByteArray(width * height / 4, char(160 - frame * 2));
    }
    const QString raw = QDir(folder).filePath(u"video.y4m"_s);
    test::writeAll(raw, frames);
    QProcess vpxenc;
    vpxenc.start(encoder, {u"--codec=vp8"_s, u"--good"_s, u"--cpu-used=16"_s, u"-q"_s, u"-o"_s,
                           QDir(folder).filePath(u"video.webm"_s), raw});
    return vpxenc.waitForFinished(60000) && vpxenc.exitStatus() == QProcess::NormalExit && vpxenc.exitCode() == 0;
}

// A canvas that draws every frame, in place of the video where none could be made.
QString animatedCanvas()
{
    return u"<canvas id='c' width='320' height='240'></canvas><script>const g=document.getElementById('c')"
           u".getContext('2d');let f=0;(function draw(){g.fillStyle='hsl('+(f*7%360)+',70%,50%)';"
           u"g.fillRect(0,0,320,240);g.fillStyle='#fff';g.fillRect(f%320,100,40,40);f++;"
           u"requestAnimationFrame(draw);})();</script>"_s;
}

// An advertisement: an animated canvas that rotates its text and writes to the console, as the
// scripts of advertisements do.
QString advertisement(int index)
{
    return u"<canvas id='c' width='200' height='120'></canvas><p id='t'></p><script>const g=document."
           u"getElementById('c').getContext('2d');let f=0;(function draw(){g.fillStyle='hsl('+(f*5+%1) % 360+"
           u"',80%,60%)';g.fillRect(0,0,200,120);f++;requestAnimationFrame(draw);})();setInterval(()=>{"
           u"const t=document.getElementById('t');t.textContent='offer '+Math.random();"
           u"console.log('advertisement %1 rotated',Date.now());},100);</script>"_s.arg(index * 40);
}

} // namespace

DayLesson writeDayLesson(const QString& folder, test::PageServer& server, quint16 closedPort)
{
    DayLesson lesson;
    writePictures(folder);
    const bool hasVideo = writeVideo(folder);
    lesson.video = hasVideo ? u"WebM/VP8 video"_s : u"animated canvas"_s;
    for (int ad = 0; ad < 6; ++ad)
        writePage(folder, u"ad-%1.html"_s.arg(ad), u"ad"_s, advertisement(ad));

    for (int script = 1; script <= kSlowScripts; ++script) {
        const QString next = script < kSlowScripts ? u"{const s=document.createElement('script');s.src='/script-%1.js';"
                                                     u"document.head.appendChild(s);}"_s.arg(script + 1)
                                                   : QString();
        test::PageResponse response =
            test::answer((u"console.log('script %1 of the slow page');"_s.arg(script) + next).toUtf8());
        response.contentType = "text/javascript";
        response.delayMs = kSlowScriptMs;
        server.serve(u"/script-%1.js"_s.arg(script), response);
    }
    server.serve(u"/slow.html"_s,
                 test::answer(test::htmlPage(u"slow"_s, u"<script src='/script-1.js'></script>"_s + longText(99))));

    for (int index = 0; index < kEntries; ++index) {
        const QString name = u"entry-%1.html"_s.arg(index);
        DayEntry entry{fileAddress(folder, name), {}};
        if (index == 12) {
            entry.address = server.url(u"/slow.html"_s).toString();
        } else if (index == 16) {
            entry.address = u"http://127.0.0.1:%1/fails.html"_s.arg(closedPort);
        } else if (index % 5 == 0 || index % 5 == 3) {
            const QString more = u"entry-%1-more.html"_s.arg(index);
            writePage(folder, more, more, longText(index + 100));
            writePage(folder, name, name, u"<a id='link' href='%1'>続きを読む</a>"_s.arg(more) + longText(index));
            entry.link = fileAddress(folder, more);
        } else if (index % 5 == 1) {
            QString pictures;
            for (int picture = 0; picture < kPictures; ++picture)
                pictures += u"<img src='picture-%1.png' width='240' height='160'>"_s.arg((picture + index) % kPictures);
            writePage(folder, name, name, pictures);
        } else if (index % 5 == 2) {
            QString ads;
            for (int ad = 0; ad < 6; ++ad)
                ads += u"<iframe src='ad-%1.html' width='220' height='180'></iframe>"_s.arg(ad);
            writePage(folder, name, name, ads + longText(index).left(4000));
        } else {
            const QString video =
                hasVideo ? u"<video src='video.webm' autoplay loop muted width='640'></video>"_s : animatedCanvas();
            writePage(folder, name, name, video + longText(index).left(2000));
        }
        lesson.entries.append(entry);
    }
    return lesson;
}

} // namespace qh::bench
