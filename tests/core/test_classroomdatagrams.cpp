// The class view's and attention's datagrams, and the thumbnails they carry: what each side writes
// reads back the same, and nothing else is taken.
#include "common/classroomdatagrams.h"
#include "common/thumbnail.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

using namespace qh;
using Kind = ClassroomCommand::Kind;

namespace {
// A page-like picture: lines on a light background, with noise that JPEG cannot squeeze away.
QImage pagePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(250, 248, 240));
    QRandomGenerator noise(7);
    for (int y = 0; y < height; y += 3) {
        for (int x = 0; x < width; x += 3)
            picture.setPixel(x, y, noise.generate() | 0xFF000000);
    }
    // Lines of "text": dark bars, as a page's lines look from afar.
    QPainter painter(&picture);
    for (int y = height / 10; y + height / 30 < height; y += height / 12)
        painter.fillRect(width / 12, y, width * 5 / 6, std::max(1, height / 30), QColor(30, 30, 40));
    return picture;
}

QByteArray encoded(const QImage& picture, const char* format, int quality = 50)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.write(picture);
    return bytes;
}
} // namespace

class TestClassroomDatagrams : public QObject
{
    Q_OBJECT
private slots:
    void commands_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("valid");
        QTest::newRow("picture") << QByteArray("Command:Picture:0123abcd") << true;
        QTest::newRow("until lifted") << QByteArray("Command:AttentionOn") << true;
        QTest::newRow("a minute") << QByteArray("Command:AttentionOn:60") << true;
        QTest::newRow("an hour") << QByteArray("Command:AttentionOn:3600") << true;
        QTest::newRow("off") << QByteArray("Command:AttentionOff") << true;
        QTest::newRow("upper-case token") << QByteArray("Command:Picture:0123ABCD") << false;
        QTest::newRow("short token") << QByteArray("Command:Picture:0123abc") << false;
        QTest::newRow("long token") << QByteArray("Command:Picture:0123abcde") << false;
        QTest::newRow("no token") << QByteArray("Command:Picture") << false;
        QTest::newRow("zero seconds") << QByteArray("Command:AttentionOn:0") << false;
        QTest::newRow("leading zero") << QByteArray("Command:AttentionOn:060") << false;
        QTest::newRow("over an hour") << QByteArray("Command:AttentionOn:3601") << false;
        QTest::newRow("negative") << QByteArray("Command:AttentionOn:-1") << false;
        QTest::newRow("blank after") << QByteArray("Command:AttentionOn:60 ") << false;
        QTest::newRow("colon alone") << QByteArray("Command:AttentionOn:") << false;
        QTest::newRow("no colon") << QByteArray("Command:AttentionOn60") << false;
        QTest::newRow("off with time") << QByteArray("Command:AttentionOff:5") << false;
        QTest::newRow("described command") << QByteArray("Command:VisibleTrue") << false;
    }

    void commands()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, valid);
        const std::optional<ClassroomCommand> command = classroomCommandOf(datagram);
        QCOMPARE(command.has_value(), valid);
        if (valid)
            QCOMPARE(classroomCommandDatagram(*command), datagram);
    }

    void pictureReports_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("valid");
        const QByteArray shown = "07Picture:00ff00ff:Shown:" + encoded(pagePicture(200, 120), "jpeg");
        QTest::newRow("shown") << shown << true;
        QTest::newRow("hidden") << QByteArray("30Picture:abcdef01:Hidden") << true;
        QTest::newRow("slot 00") << QByteArray("00Picture:abcdef01:Hidden") << false;
        QTest::newRow("slot 31") << QByteArray("31Picture:abcdef01:Hidden") << false;
        QTest::newRow("bad token") << QByteArray("07Picture:abcdefgh:Hidden") << false;
        QTest::newRow("shown, no bytes") << QByteArray("07Picture:abcdef01:Shown:") << false;
        QTest::newRow("hidden, more") << QByteArray("07Picture:abcdef01:Hidden:") << false;
        QTest::newRow("unknown state") << QByteArray("07Picture:abcdef01:Gone") << false;
        QTest::newRow("over 16 KiB") << shown + QByteArray(16 * 1024, 'x') << false;
    }

    void pictureReports()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, valid);
        QVERIFY(looksLikePicture(datagram));
        const std::optional<PictureReport> report = pictureReportOf(datagram);
        QCOMPARE(report.has_value(), valid);
        if (valid)
            QCOMPARE(pictureDatagram(*report), datagram);
    }

    // A window's picture of any size fits the datagram as a JPEG of at most 200 pixels each way,
    // keeping its shape; a tight budget gives a smaller picture, never a longer datagram.
    void thumbnailsFitTheirBudget_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("budget");
        QTest::addColumn<QSize>("largest");
        QTest::newRow("full HD") << QSize(1920, 1080) << 16000 << QSize(200, 113);
        QTest::newRow("portrait") << QSize(768, 1366) << 16000 << QSize(113, 200);
        QTest::newRow("small window") << QSize(150, 90) << 16000 << QSize(150, 90);
        QTest::newRow("tight budget") << QSize(1920, 1080) << 1500 << QSize(100, 57);
    }

    void thumbnailsFitTheirBudget()
    {
        QFETCH(QSize, window);
        QFETCH(int, budget);
        QFETCH(QSize, largest);
        const QByteArray bytes = thumbnailBytes(pagePicture(window.width(), window.height()), budget);
        QVERIFY(!bytes.isEmpty());
        QVERIFY(bytes.size() <= budget);
        const std::optional<QImage> read = thumbnailOf(bytes);
        QVERIFY(read);
        QVERIFY2(read->width() <= largest.width() && read->height() <= largest.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(read->width()).arg(read->height())));
        QVERIFY(read->width() >= largest.width() - 1 || read->height() >= largest.height() - 1);
        QVERIFY(thumbnailBytes(QImage(), budget).isEmpty());
    }

    // What the presenter must not decode: anything but one whole JPEG within the limits.
    void untrustedThumbnailsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = encoded(pagePicture(200, 120), "jpeg");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut off") << good.first(good.size() - 200);
        QTest::newRow("garbage between the markers")
            << QByteArray("\xFF\xD8\xFF") + QByteArray(500, '\x13') + QByteArray("\xFF\xD9");
        QTest::newRow("PNG") << encoded(pagePicture(200, 120), "png");
        QTest::newRow("400 x 300") << encoded(pagePicture(400, 300), "jpeg", 10);
        QTest::newRow("1 x 201") << encoded(pagePicture(1, 201), "jpeg");
        QTest::newRow("over 16 KiB") << encoded(pagePicture(200, 200), "jpeg", 100);
    }

    void untrustedThumbnailsAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(thumbnailOf(encoded(pagePicture(200, 120), "jpeg"))); // what the rows were made from
        QVERIFY(!thumbnailOf(bytes));
    }
};

QTEST_GUILESS_MAIN(TestClassroomDatagrams)
#include "test_classroomdatagrams.moc"
