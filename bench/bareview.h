#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QWebEngineView>

#include <chrono>
#include <cstdio>

// What the bare programs of the benchmarks share: they stand for a program without ours, so they
// link nothing of ours either.
namespace qh::bench {

// Gives the view's window the size our browser windows take (common/browserwindow.cpp).
inline void sizeLikeOurWindows(QWebEngineView& view)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        view.resize(screen->availableGeometry().size() * 3 / 4);
}

// "<event> <microseconds since 1970> <detail>" on the standard output, on the clock of the child
// program's trace.
inline void printEvent(const char* event, const QString& detail = {})
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const long long micros = std::chrono::duration_cast<std::chrono::microseconds>(sinceEpoch).count();
    std::printf("%s %lld %s\n", event, micros, detail.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace qh::bench
