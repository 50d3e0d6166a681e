#include "common/classroomdatagrams.h"

#include <algorithm>

namespace qh {

namespace {
constexpr QByteArrayView kPictureCommand = "Command:Picture:";
constexpr QByteArrayView kAttentionOnCommand = "Command:AttentionOn";
constexpr QByteArrayView kAttentionOffCommand = "Command:AttentionOff";
constexpr QByteArrayView kPictureVerb = "Picture:";
constexpr QByteArrayView kShownState = ":Shown:";
constexpr QByteArrayView kHiddenState = ":Hidden";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// 1 to kLongestAttentionSeconds, written as the presenter writes it.
std::optional<int> secondsOf(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 4 || text.front() == '0' || !std::all_of(text.begin(), text.end(), isDigit))
        return std::nullopt;
    const int seconds = text.toInt();
    if (seconds < 1 || seconds > kLongestAttentionSeconds)
        return std::nullopt;
    return seconds;
}

QByteArray numberBytes(int computerNumber)
{
    return QByteArray::number(computerNumber).rightJustified(2, '0');
}
} // namespace

bool isPictureToken(QByteArrayView token)
{
    return token.size() == kPictureTokenLength &&
           std::all_of(token.begin(), token.end(), [](char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); });
}

QByteArray classroomCommandDatagram(const ClassroomCommand& command)
{
    switch (command.kind) {
    case ClassroomCommand::Kind::Picture:
        return kPictureCommand.toByteArray() + command.token;
    case ClassroomCommand::Kind::AttentionOn:
        if (!command.seconds)
            return kAttentionOnCommand.toByteArray();
        return kAttentionOnCommand.toByteArray() + ':' + QByteArray::number(*command.seconds);
    case ClassroomCommand::Kind::AttentionOff:
        break;
    }
    return kAttentionOffCommand.toByteArray();
}

std::optional<ClassroomCommand> classroomCommandOf(QByteArrayView datagram)
{
    using Kind = ClassroomCommand::Kind;
    if (datagram.startsWith(kPictureCommand)) {
        const QByteArrayView token = datagram.sliced(kPictureCommand.size());
        if (!isPictureToken(token))
            return std::nullopt;
        return ClassroomCommand{Kind::Picture, token.toByteArray(), std::nullopt};
    }
    if (datagram == kAttentionOffCommand)
        return ClassroomCommand{Kind::AttentionOff, {}, std::nullopt};
    if (datagram == kAttentionOnCommand)
        return ClassroomCommand{Kind::AttentionOn, {}, std::nullopt};
    if (datagram.startsWith(kAttentionOnCommand) && datagram.size() > kAttentionOnCommand.size() &&
        datagram[kAttentionOnCommand.size()] == ':') {
        const std::optional<int> seconds = secondsOf(datagram.sliced(kAttentionOnCommand.size() + 1));
        if (!seconds)
            return std::nullopt;
        return ClassroomCommand{Kind::AttentionOn, {}, seconds};
    }
    return std::nullopt;
}

QByteArray pictureDatagram(const PictureReport& report)
{
    QByteArray datagram = numberBytes(report.computerNumber) + kPictureVerb.toByteArray() + report.token;
    if (report.hidden)
        datagram += kHiddenState.toByteArray();
    else
        datagram += kShownState.toByteArray() + report.image;
    return datagram.size() <= kLargestPictureDatagramBytes ? datagram : QByteArray();
}

bool looksLikePicture(QByteArrayView datagram)
{
    return datagram.size() >= 2 + kPictureVerb.size() && isDigit(datagram[0]) && isDigit(datagram[1]) &&
           datagram.sliced(2).startsWith(kPictureVerb);
}

std::optional<PictureReport> pictureReportOf(QByteArrayView datagram)
{
    if (!looksLikePicture(datagram) || datagram.size() > kLargestPictureDatagramBytes)
        return std::nullopt;
    const int number = (datagram[0] - '0') * 10 + (datagram[1] - '0');
    if (number < 1 || number > 30)
        return std::nullopt;
    const QByteArrayView rest = datagram.sliced(2 + kPictureVerb.size());
    if (rest.size() < kPictureTokenLength || !isPictureToken(rest.first(kPictureTokenLength)))
        return std::nullopt;
    PictureReport report{number, rest.first(kPictureTokenLength).toByteArray(), false, {}};
    const QByteArrayView state = rest.sliced(kPictureTokenLength);
    if (state == kHiddenState) {
        report.hidden = true;
        return report;
    }
    if (!state.startsWith(kShownState) || state.size() == kShownState.size())
        return std::nullopt;
    report.image = state.sliced(kShownState.size()).toByteArray();
    return report;
}

} // namespace qh
