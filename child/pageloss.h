#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <chrono>
#include <optional>

namespace qh::child {

// A test aid. With QH_CHILD_LOSE_PAGE=N in its environment the child loses the N-th page the
// master sends it, as a network that drops datagrams would, so that tests and benchmarks can watch
// the presenter send it again. Pages are counted by address: a page datagram that repeats the
// address of the one before it is a copy (the presenter sends each page twice), and the copies
// that follow a lost one within kCopyGap are lost with it. The next copy after a longer pause,
// the presenter's repair, arrives, and nothing is lost after it.
class PageLoss
{
public:
    static constexpr std::chrono::milliseconds kCopyGap{500};

    // 0 loses nothing.
    explicit PageLoss(int lostPage = 0) : m_lostPage(lostPage) {}
    // The page that QH_CHILD_LOSE_PAGE names; nothing is lost without it.
    static PageLoss fromEnvironment();

    // Whether this datagram from the master, arriving now, is lost; `now` on any steady clock.
    bool loses(QByteArrayView datagram, std::chrono::milliseconds now);

private:
    const int m_lostPage;
    int m_pages = 0;
    QByteArray m_lastPage;
    std::optional<std::chrono::milliseconds> m_lastLoss;
    bool m_repaired = false;
};

} // namespace qh::child
