#include "common/cp932text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace qh::cp932 {

namespace {
constexpr const char* kCodecName = "windows-31j";
constexpr auto kStateless = QStringConverter::Flag::Stateless;

// Opening the converter is far dearer than converting a line, so each thread keeps one decoder and
// one encoder. An encoder that met an unencodable character keeps reporting the error, so it is
// replaced after such a use.
QStringDecoder& sharedDecoder()
{
    thread_local QStringDecoder decoder(kCodecName, kStateless);
    return decoder;
}

// Converts with the shared encoder; false when some character had no CP932 form.
bool tryEncode(QStringView text, QByteArray& bytes)
{
    thread_local std::optional<QStringEncoder> encoder;
    if (!encoder)
        encoder.emplace(kCodecName, kStateless);
    bytes = (*encoder)(text);
    if (!encoder->hasError())
        return true;
    encoder.reset(); // constructed anew, not assigned: an assigned ICU encoder reports no errors
    return false;
}

template <typename Visit> void forEachCodePoint(QStringView text, Visit visit)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        visit(text.mid(i, length));
        i += length;
    }
}
} // namespace

QString decode(QByteArrayView bytes)
{
    QStringDecoder& decoder = sharedDecoder();
    QString text = decoder(bytes);
    decoder.resetState();
    return text;
}

QByteArray encode(QStringView text)
{
    QByteArray bytes;
    if (tryEncode(text, bytes))
        return bytes;
    // Slow path, only for text that holds a character CP932 lacks.
    bytes.clear();
    forEachCodePoint(text, [&bytes](QStringView codePoint) {
        QByteArray one;
        bytes += tryEncode(codePoint, one) ? one : QByteArray("?");
    });
    return bytes;
}

bool canEncode(QStringView text)
{
    QByteArray bytes;
    return tryEncode(text, bytes);
}

bool holdsUnchanged(QStringView text)
{
    QByteArray bytes;
    return tryEncode(text, bytes) && decode(bytes) == text;
}

bool canDecode(QByteArrayView bytes)
{
    // A decoder of its own: the shared one is stateless and must not carry an error to its next use.
    QStringDecoder decoder(kCodecName, kStateless);
    const QString decoded = decoder(bytes); // the conversion runs here, when the result is taken
    return !decoder.hasError();
}

QList<QByteArray> splitLines(QByteArrayView bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.sliced(start, i - start).toByteArray());
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append(bytes.sliced(start).toByteArray());
    return lines;
}

QStringList readLines(QByteArrayView bytes)
{
    QStringList lines;
    for (const QByteArray& line : splitLines(bytes))
        lines.append(decode(line));
    return lines;
}

QByteArray writeLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace qh::cp932
