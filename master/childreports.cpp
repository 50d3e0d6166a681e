#include "master/childreports.h"

#include "common/cp932text.h"

using namespace Qt::StringLiterals;

namespace qh::master {

namespace {
constexpr qsizetype kReadableAddressLength = 200;

// True when nothing happened yet, or at least `interval` ago.
bool longAgo(std::optional<qint64> atMs, qint64 nowMs, qint64 interval)
{
    return !atMs || nowMs - *atMs >= interval;
}
} // namespace

ChildReports::Answer ChildReports::hear(const ChildReport& report, Answering answering, QByteArrayView currentPage,
                                        qint64 nowMs, QByteArrayView signingRun)
{
    Slot& slot = m_slots.at(std::size_t(report.computerNumber - 1));
    slot.reportMs = nowMs;
    slot.hello = report.kind == ChildReport::Kind::Hello;
    slot.address = slot.hello ? QByteArray() : report.address;
    if (slot.hello)
        slot.challenge = report.challenge;
    if (answering == Answering::Nothing)
        return Answer::None;
    if (slot.hello) {
        // A child that asks for signed datagrams refuses plain ones: without a key there is no
        // answer it would take.
        const bool asks = !slot.challenge.isEmpty();
        const bool signing = !signingRun.isEmpty() && asks;
        const bool welcomeOnly = answering == Answering::SwitchedOff || (signing && report.run == signingRun);
        if ((asks && !signing) || (welcomeOnly && !signing) || !longAgo(slot.catchUpMs, nowMs, kCatchUpIntervalMs))
            return Answer::None;
        slot.catchUpMs = nowMs;
        if (welcomeOnly)
            return Answer::Welcome;
        slot.pageSentMs = nowMs;
        return Answer::CatchUp;
    }
    if (answering != Answering::Everything || currentPage.isEmpty() || reportNamesPage(slot.address, currentPage))
        return Answer::None;
    if (!longAgo(slot.pageSentMs, nowMs, kHealGraceMs) || !longAgo(slot.healMs, nowMs, kHealIntervalMs))
        return Answer::None;
    slot.healMs = nowMs;
    slot.pageSentMs = nowMs;
    return Answer::Heal;
}

void ChildReports::notePageSent(int slotIndex, qint64 nowMs)
{
    m_slots.at(std::size_t(slotIndex)).pageSentMs = nowMs;
}

qint64 ChildReports::confirmationWait(int slotIndex, qint64 nowMs) const
{
    const std::optional<qint64>& confirmMs = m_slots.at(std::size_t(slotIndex)).confirmMs;
    return longAgo(confirmMs, nowMs, kConfirmIntervalMs) ? 0 : *confirmMs + kConfirmIntervalMs - nowMs;
}

SlotFollowing ChildReports::following(int slotIndex, bool inUse, QByteArrayView currentPage, qint64 nowMs) const
{
    const Slot& slot = m_slots.at(std::size_t(slotIndex));
    SlotFollowing following;
    following.heard = slot.reportMs.has_value();
    following.lastWasHello = slot.hello;
    following.address = slot.address;
    following.ageMs = following.heard ? nowMs - *slot.reportMs : 0;
    if (!inUse)
        following.state = FollowState::SwitchedOff;
    else if (!following.heard)
        following.state = FollowState::Unknown;
    else if (following.ageMs > kReportFreshMs)
        following.state = FollowState::Silent;
    else
        following.state = reportNamesPage(slot.address, currentPage) ? FollowState::Following : FollowState::OtherPage;
    return following;
}

QString readableAddress(QByteArrayView bytes)
{
    // No character takes more than two bytes: that many are enough to fill the limit.
    const QByteArrayView taken = bytes.first(std::min(bytes.size(), kReadableAddressLength * 2));
    QString text = cp932::decode(taken);
    for (QChar& character : text) {
        if (character.category() == QChar::Other_Control || character.category() == QChar::Separator_Line ||
            character.category() == QChar::Separator_Paragraph)
            character = QChar::ReplacementCharacter;
    }
    if (text.size() > kReadableAddressLength || taken.size() < bytes.size())
        text = text.left(kReadableAddressLength - 1) + u'…';
    return text;
}

} // namespace qh::master
