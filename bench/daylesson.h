#pragma once

#include "tests/support/pageserver.h"

#include <QList>
#include <QString>

// The pages of a compressed school day (bench_day), of the shapes a class meets: long texts with a
// link to follow, pages of many pictures, a looping video, pages of advertisements that animate,
// rotate and write to the console, a page that loads its scripts for seconds, and a page that fails.
namespace qh::bench {

// One entry of the day's URL list: its address as the list holds it, and where its link leads
// (empty: it has none).
struct DayEntry {
    QString address;
    QString link;
};

struct DayLesson {
    QList<DayEntry> entries;
    QString video; // what the video pages play: "WebM/VP8 video" or, without vpxenc, "animated canvas"
};

// Writes the day's pages into the folder (under the children's local folders) and sets up the
// slow page on the server: 25 entries, long texts with a link to a second text (every fifth from 0
// and from 3), pages of many pictures (from 1), of advertisements (from 2) and with a looping video
// (from 4); entry 12 loads its scripts for 1.5 s from the server, entry 16 fails (nothing listens
// on `closedPort`).
DayLesson writeDayLesson(const QString& folder, test::PageServer& server, quint16 closedPort);

} // namespace qh::bench
