// Fan-out: the time from the end of a page load to the arrival of the 30th child's datagram, with
// 30 children in use on loopback, against a bare loop of the same 30 sendto calls.
#include "benchutil.h"
#include "presenter.h"
#include "webbrowser.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWebEnginePage>

using namespace qh::bench;
using namespace qh::master;

namespace {
constexpr int kChildren = 30;
constexpr int kPageChanges = 200;

// The presenter's browser, noting when each load ended.
class TimedBrowser : public Browser
{
public:
    TimedBrowser() : m_inner(std::make_unique<WebBrowser>())
    {
        // Connected after the browser's own handler, so Busy() has already fallen here.
        QObject::connect(m_inner->view()->page(), &QWebEnginePage::loadingChanged, &m_context, [this] {
            if (m_waiting && !m_inner->Busy()) {
                loadEndNs = nowNs();
                m_waiting = false;
            }
        });
    }
    void Navigate(const QString& address) override
    {
        m_waiting = true;
        m_inner->Navigate(address);
    }
    bool Busy() const override { return m_inner->Busy(); }
    bool Visible() const override { return m_inner->Visible(); }
    void setVisible(bool visible) override { m_inner->setVisible(visible); }
    bool ToolBar() const override { return m_inner->ToolBar(); }
    void setToolBar(bool shown) override { m_inner->setToolBar(shown); }
    bool MenuBar() const override { return m_inner->MenuBar(); }
    void setMenuBar(bool shown) override { m_inner->setMenuBar(shown); }
    bool FullScreen() const override { return m_inner->FullScreen(); }
    void setFullScreen(bool fullScreen) override { m_inner->setFullScreen(fullScreen); }
    QString LocationURL() const override { return m_inner->LocationURL(); }

    std::int64_t loadEndNs = 0;

private:
    std::unique_ptr<WebBrowser> m_inner;
    QObject m_context;
    bool m_waiting = false;
};

double bareLoopMicroseconds(std::uint16_t childPort, LoopbackChildren& children, const QByteArray& payload)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addresses[kChildren];
    for (int i = 0; i < kChildren; ++i) {
        addresses[i] = sockaddr_in{};
        addresses[i].sin_family = AF_INET;
        addresses[i].sin_port = htons(childPort);
        addresses[i].sin_addr.s_addr = htonl((127u << 24) | std::uint32_t(i + 2));
    }
    QList<double> times;
    for (int round = 0; round < kPageChanges; ++round) {
        const std::int64_t start = nowNs();
        for (const sockaddr_in& address : addresses)
            ::sendto(fd, payload.constData(), size_t(payload.size()), 0, reinterpret_cast<const sockaddr*>(&address),
                     sizeof address);
        const QList<LoopbackChildren::Arrival> arrivals = children.take();
        if (arrivals.size() == kChildren)
            times.append(double(arrivals.last().atNs - start) / 1000.0);
    }
    ::close(fd);
    return median(times);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir folder;
    LoopbackChildren children;
    const std::uint16_t childPort = children.bindFreePort();
    const std::uint16_t masterPort = freePort();
    QStringList pages;
    for (int i = 0; i < 2; ++i) {
        const QString path = folder.filePath(QStringLiteral("page%1.html").arg(i));
        writeFile(path, "<html><body><h1>page " + QByteArray::number(i) + "</h1></body></html>");
        pages.append(QUrl::fromLocalFile(path).toString());
    }
    writeFile(folder.filePath(QStringLiteral("weblist.txt")),
              (pages.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    writeFile(folder.filePath(QStringLiteral("Quillharbour_Master.ini")),
              settingsFor(kChildren, childPort, masterPort));
    QDir::setCurrent(folder.path());

    TimedBrowser* browser = nullptr;
    PresenterOptions options;
    options.lockFilePath = folder.filePath(QStringLiteral("lock"));
    options.createBrowser = [&browser] {
        auto made = std::make_unique<TimedBrowser>();
        browser = made.get();
        return made;
    };
    Presenter presenter(std::move(options));
    if (!presenter.startUp()) {
        std::fprintf(stderr, "the presenter did not start\n");
        return 1;
    }
    children.take();

    QList<double> presenterTimes;
    QList<double> firstArrivals;
    for (int change = 0; change < kPageChanges; ++change) {
        presenter.ShowPage(pages[change % 2], std::int16_t(change % 2));
        const QList<LoopbackChildren::Arrival> arrivals = children.take();
        if (arrivals.size() == kChildren && arrivals.last().to == "127.0.0.31") {
            presenterTimes.append(double(arrivals.last().atNs - browser->loadEndNs) / 1000.0);
            firstArrivals.append(double(arrivals.first().atNs - browser->loadEndNs) / 1000.0);
        }
    }
    const double presenterMedian = median(presenterTimes);

    // The same bare loop right after each of as many page loads, when the browser's processes
    // compete for the processor just as they do when the presenter sends.
    QList<double> bareAfterLoad;
    {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        for (int change = 0; change < kPageChanges; ++change) {
            browser->Navigate(pages[change % 2]);
            while (browser->Busy())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            const std::int64_t start = browser->loadEndNs;
            const QByteArray payload = pages[change % 2].toUtf8();
            for (int i = 0; i < kChildren; ++i) {
                sockaddr_in address{};
                address.sin_family = AF_INET;
                address.sin_port = htons(childPort);
                address.sin_addr.s_addr = htonl((127u << 24) | std::uint32_t(i + 2));
                ::sendto(fd, payload.constData(), size_t(payload.size()), 0,
                         reinterpret_cast<const sockaddr*>(&address), sizeof address);
            }
            const QList<LoopbackChildren::Arrival> arrivals = children.take();
            if (arrivals.size() == kChildren)
                bareAfterLoad.append(double(arrivals.last().atNs - start) / 1000.0);
        }
        ::close(fd);
    }
    const double bareMedian = bareLoopMicroseconds(childPort, children, pages[0].toUtf8());
    const double bareAfterLoadMedian = median(bareAfterLoad);
    std::printf("fan-out to %d children, median of %lld page changes: %.1f us from load end to the last arrival "
                "(%.1f us to the first)\n",
                kChildren, static_cast<long long>(presenterTimes.size()), presenterMedian, median(firstArrivals));
    std::printf("bare sendto loop of the same %d datagrams, median of %d rounds: %.1f us on a quiet machine, "
                "%.1f us right after a page load\n",
                kChildren, kPageChanges, bareMedian, bareAfterLoadMedian);
    std::printf("ratio: %.2f against the quiet loop, %.2f against the loop after a load (goal: under 2)\n",
                bareMedian > 0 ? presenterMedian / bareMedian : 0.0,
                bareAfterLoadMedian > 0 ? presenterMedian / bareAfterLoadMedian : 0.0);
    presenter.End();
    return 0;
}
