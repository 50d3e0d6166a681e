#include "form1.h"
#include "presenterfixture.h"
#include "webbrowser.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWebEnginePage>

using namespace qh;
using namespace qh::master;
using namespace qh::test;

namespace {
// Loads can take a while on a busy machine; this only bounds a test that would otherwise hang.
constexpr int kLoadTimeoutMs = 30000;

void writePages(const QTemporaryDir& folder)
{
    const QByteArray tall = "<div style='height:4000px'></div>";
    QVERIFY(writeAll(folder.filePath(u"a.html"_qs),
                     "<html><body><a id='down' href='#part'>down</a>" + tall + "<p id='part'>part</p></body></html>"));
    QVERIFY(writeAll(folder.filePath(u"b.html"_qs), "<html><body><a id='next' href='c.html'>c</a></body></html>"));
    QVERIFY(writeAll(folder.filePath(u"c.html"_qs), "<html><body>c</body></html>"));
}

QString pageUrl(const QTemporaryDir& folder, const QString& name)
{
    return QUrl::fromLocalFile(folder.filePath(name)).toString();
}
} // namespace

class TestWebBrowser : public QObject
{
    Q_OBJECT
private slots:
    void busyFallsForEveryAddress_data()
    {
        QTest::addColumn<QString>("address"); // "%1/" stands for the page folder's URL
        QTest::addColumn<QString>("location");
        QTest::newRow("ordinary page") << u"%1/b.html"_qs << u"%1/b.html"_qs;
        QTest::newRow("page that fails to load") << u"%1/missing.html"_qs << u"%1/missing.html"_qs;
        QTest::newRow("fragment of the page shown") << u"%1/a.html#part"_qs << u"%1/a.html#part"_qs;
        QTest::newRow("the page shown again") << u"%1/a.html"_qs << u"%1/a.html"_qs;
        QTest::newRow("fragment of another page") << u"%1/b.html#x"_qs << u"%1/b.html#x"_qs;
        QTest::newRow("empty entry") << QString() << u"about:blank"_qs;
        QTest::newRow("script") << u"javascript:document.title='x'"_qs << u"about:blank"_qs;
        QTest::newRow("no usable address") << u"http://exa mple.com/"_qs << u"about:blank"_qs;
        QTest::newRow("refused connection") << u"http://127.0.0.1:1/"_qs << u"http://127.0.0.1:1/"_qs;
    }

    void busyFallsForEveryAddress()
    {
        QFETCH(QString, address);
        QFETCH(QString, location);
        QTemporaryDir folder;
        writePages(folder);
        const QString base = QUrl::fromLocalFile(folder.path()).toString();
        WebBrowser browser;
        browser.setVisible(true);
        browser.Navigate(pageUrl(folder, u"a.html"_qs));
        QVERIFY(browser.Busy());
        QTRY_VERIFY_WITH_TIMEOUT(!browser.Busy(), kLoadTimeoutMs);

        browser.Navigate(address.contains(u"%1") ? address.arg(base) : address);
        QTRY_VERIFY_WITH_TIMEOUT(!browser.Busy(), kLoadTimeoutMs);
        QCOMPARE(browser.LocationURL(), location.contains(u"%1") ? location.arg(base) : location);
    }

    void closingTheWindowOnlyHidesIt()
    {
        WebBrowser browser;
        browser.setVisible(true);
        QVERIFY(browser.Visible());
        QVERIFY(browser.view()->close() == false);
        QVERIFY(!browser.Visible());
        browser.setVisible(true);
        QVERIFY(browser.Visible());
    }

    void fullScreenFollowsTheSetting()
    {
        WebBrowser browser;
        browser.setFullScreen(true);
        QVERIFY(!browser.Visible());
        browser.setVisible(true);
        QVERIFY(browser.view()->isFullScreen());
        browser.setFullScreen(false);
        QVERIFY(!browser.view()->isFullScreen());
        QVERIFY(browser.Visible());
        browser.setToolBar(false);
        browser.setMenuBar(false);
        QVERIFY(!browser.ToolBar());
        QVERIFY(!browser.MenuBar());
    }

    void presentationRunsWithTheRealBrowser()
    {
        PresenterFixture fixture;
        writePages(fixture.folder);
        const QString a = pageUrl(fixture.folder, u"a.html"_qs);
        const QString b = pageUrl(fixture.folder, u"b.html"_qs);
        const QString c = pageUrl(fixture.folder, u"c.html"_qs);
        fixture.writeUrlList({a, b});
        fixture.writeSettings(
            {{1, u"1"_qs, u"127.0.0.2"_qs, u"WindowScreen"_qs}, {3, u"1"_qs, u"127.0.0.4"_qs, u"FullScreen"_qs}});
        WebBrowser* web = nullptr;
        PresenterOptions options;
        options.createBrowser = [&web] {
            auto made = std::make_unique<WebBrowser>();
            web = made.get();
            return made;
        };
        Presenter& presenter = fixture.make(std::move(options));
        QVERIFY(presenter.startUp());
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{"127.0.0.2 Command:VisibleTrue", "127.0.0.2 Command:WindowScreen",
                                 "127.0.0.4 Command:VisibleTrue", "127.0.0.4 Command:FullScreen",
                                 "127.0.0.2 " + a.toUtf8(), "127.0.0.4 " + a.toUtf8()}));
        QCOMPARE(web->LocationURL(), a);
        QVERIFY(web->Visible());

        // A fragment link moves within the page and is forwarded too.
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived(
            [web] { web->view()->page()->runJavaScript(u"document.getElementById('down').click()"_qs); }, 2));
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), QByteArrayList{a.toUtf8() + "#part"});

        // >>: the new page twice, once from the button and once from the loop.
        fixture.children.clear();
        auto* next = presenter.form().findChild<QPushButton*>(u"Command3"_qs);
        QVERIFY(fixture.runUntilReceived([next] { QTest::mouseClick(next, Qt::LeftButton); }, 4));
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), (QByteArrayList{b.toUtf8(), b.toUtf8()}));
        QCOMPARE(presenter.form().Label1->text(), u"1"_qs);

        // A link followed in the page reaches the children under the same page number.
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived(
            [web] { web->view()->page()->runJavaScript(u"document.getElementById('next').click()"_qs); }, 2));
        QCOMPARE(fixture.children.received(), (QByteArrayList{"127.0.0.2 " + c.toUtf8(), "127.0.0.4 " + c.toUtf8()}));
        QCOMPARE(presenter.form().Label1->text(), u"1"_qs);
        QCOMPARE(web->LocationURL(), c);

        // The user closes the browser window; << shows it again.
        web->view()->close();
        QVERIFY(!web->Visible());
        fixture.children.clear();
        auto* previous = presenter.form().findChild<QPushButton*>(u"Command4"_qs);
        QVERIFY(fixture.runUntilReceived([previous] { QTest::mouseClick(previous, Qt::LeftButton); }, 4));
        QCOMPARE(fixture.children.receivedBy("127.0.0.4"), (QByteArrayList{a.toUtf8(), a.toUtf8()}));
        QVERIFY(web->Visible());

        fixture.children.clear();
        auto* end = presenter.form().findChild<QPushButton*>(u"Command5"_qs);
        QVERIFY(fixture.runLoop([end] { QTest::mouseClick(end, Qt::LeftButton); }, [] { return false; }));
        QVERIFY(presenter.hasEnded());
        QVERIFY(presenter.browser() == nullptr);
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{"127.0.0.2 Command:VisibleFalse", "127.0.0.4 Command:VisibleFalse"}));
        QVERIFY(fixture.messages.messages.isEmpty());
    }
};

QTEST_MAIN(TestWebBrowser)
#include "test_webbrowser.moc"
