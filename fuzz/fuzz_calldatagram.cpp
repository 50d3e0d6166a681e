// Feeds arbitrary bytes to the check of a call datagram and to the call entry, to find datagrams
// that crash them or that are taken as a call without being one; and to the presenter's reading of
// a child's report, which must answer every report and show any bytes as one short plain line.
#include "common/cp932text.h"
#include "common/leadingnumber.h"
#include "master/callentry.h"
#include "master/childreports.h"
#include "master/presentermessages.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString shown = qh::master::readableAddress(datagram);
    if (shown.size() > 200 || std::any_of(shown.cbegin(), shown.cend(), [](QChar c) {
            return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
                   c.category() == QChar::Separator_Paragraph;
        }))
        std::abort();
    if (const std::optional<qh::ChildReport> report = qh::childReportOf(datagram)) {
        // A first report of a slot never sent a page is answered, whatever it names; but a Hello
        // that asks for signed datagrams only by a presenter that signs: with its run already
        // followed, by the welcome alone.
        using Answer = qh::master::ChildReports::Answer;
        const QByteArray current = "http://class/page.html";
        const QByteArray signingRun(qh::kRunIdBytes, '\x5a');
        const bool hello = report->kind == qh::ChildReport::Kind::Hello;
        const bool asks = !report->challenge.isEmpty();
        if (report->computerNumber < 1 || report->computerNumber > 30 || (!hello && asks))
            std::abort();
        const Answer page = report->address == current ? Answer::None : Answer::Heal;
        qh::master::ChildReports reports;
        const auto answer = reports.hear(*report, qh::master::ChildReports::Answering::Everything, current, 0);
        qh::master::ChildReports signing;
        const auto signedAnswer =
            signing.hear(*report, qh::master::ChildReports::Answering::Everything, current, 0, signingRun);
        if (answer != (hello ? (asks ? Answer::None : Answer::CatchUp) : page) ||
            signedAnswer != (hello ? (asks && report->run == signingRun ? Answer::Welcome : Answer::CatchUp) : page) ||
            !reports.hasSpoken(report->computerNumber - 1))
            std::abort();
        const QString toolTip =
            qh::master::followingToolTip(report->computerNumber, QStringLiteral("PC"),
                                         reports.following(report->computerNumber - 1, true, current, 0));
        if (toolTip.count(u'\n') != 1)
            std::abort();
        return 0;
    }
    const std::optional<QString> number = qh::master::callNumberOfDatagram(datagram);
    if (!number)
        return 0;
    // A call is its number and "Call", and nothing else: the bytes end in "Call", the text is the
    // number followed by "Call", and the number is not above 30.
    const QString text = qh::cp932::decode(datagram);
    if (!datagram.endsWith("Call") || text != *number + qh::kCallVerb || number->size() > 2 ||
        qh::leadingNumberExact(*number) > 30)
        std::abort();
    // Every counter value gives an entry that starts with two digits.
    for (const qint16 count : {qint16(-32768), qint16(-1), qint16(0), qint16(7), qint16(32767)}) {
        const QString entry = qh::master::callEntry(count, *number);
        if (entry.size() < 2 || !entry.at(0).isDigit() || !entry.at(1).isDigit() || !entry.endsWith(*number))
            std::abort();
    }
    return 0;
}
