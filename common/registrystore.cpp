#include "common/registrystore.h"

#include "common/cp932text.h"
#include "common/datafiles.h"
#include "common/textfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtEndian>

#include <optional>

using namespace Qt::StringLiterals;

namespace qh {

namespace {

QString rootName(std::uint32_t root)
{
    switch (root) {
    case kHKeyClassesRoot:
        return u"HKEY_CLASSES_ROOT"_s;
    case kHKeyCurrentUser:
        return u"HKEY_CURRENT_USER"_s;
    case kHKeyLocalMachine:
        return u"HKEY_LOCAL_MACHINE"_s;
    case kHKeyUsers:
        return u"HKEY_USERS"_s;
    default:
        return {};
    }
}

// Reads a double-quoted text starting at pos (on the opening quote); pos ends after the closing
// quote. Backslash escapes the next character.
std::optional<QString> readQuoted(QStringView line, qsizetype& pos)
{
    if (pos >= line.size() || line[pos] != u'"')
        return std::nullopt;
    QString text;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == u'"') {
            ++pos;
            return text;
        }
        if (c == u'\\') {
            if (++pos >= line.size())
                return std::nullopt;
        }
        text.append(line[pos]);
    }
    return std::nullopt;
}

std::optional<QByteArray> readHexBytes(QStringView text)
{
    QByteArray bytes;
    const QString compact = text.toString().remove(u' ').remove(u'\t');
    if (compact.isEmpty())
        return bytes;
    for (const QString& part : compact.split(u',')) {
        bool ok = false;
        const uint byte = part.toUInt(&ok, 16);
        if (!ok || part.size() > 2)
            return std::nullopt;
        bytes.append(char(byte));
    }
    return bytes;
}

// The data part of a value line, after the "=".
std::optional<RegistryValue> readData(QStringView data)
{
    RegistryValue value;
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        const std::optional<QString> text = readQuoted(data, pos);
        if (!text || !data.mid(pos).trimmed().isEmpty())
            return std::nullopt;
        value.type = kRegSz;
        value.data = cp932::encode(*text) + '\0';
        return value;
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const QStringView digits = data.mid(6).trimmed();
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 8)
            return std::nullopt;
        value.type = kRegDword;
        value.data.resize(4);
        qToLittleEndian<quint32>(number, value.data.data());
        return value;
    }
    if (data.startsWith(u"hex:", Qt::CaseInsensitive)) {
        value.type = kRegBinary;
        data = data.mid(4);
    } else if (data.startsWith(u"hex(", Qt::CaseInsensitive)) {
        const qsizetype close = data.indexOf(u"):");
        bool ok = false;
        value.type = close > 4 ? data.mid(4, close - 4).toUInt(&ok, 16) : 0;
        if (!ok)
            return std::nullopt;
        data = data.mid(close + 2);
    } else {
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = readHexBytes(data);
    if (!bytes)
        return std::nullopt;
    value.data = *bytes;
    return value;
}

} // namespace

QString registryStorePath()
{
    const QString fromEnvironment = qEnvironmentVariable("QH_REGISTRY_FILE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString fileName = u"Quillharbour_Registry.txt"_s;
    const QString found = findDataFile(fileName);
    // A store that is nowhere is named where the build puts it; reading it then finds no value.
    return found.isEmpty() ? QCoreApplication::applicationDirPath() + u'/' + fileName : found;
}

bool findRegistryValueInStore(const QByteArray& store, std::uint32_t root, const QString& keyName,
                              const QString& valueName, RegistryValue& value)
{
    const QString wantedRoot = rootName(root);
    if (wantedRoot.isEmpty())
        return false;
    const QString wantedKey = wantedRoot + u'\\' + keyName;
    const QStringList lines = QString::fromUtf8(store).split(u'\n');

    bool inKey = false;
    bool found = false;
    for (const QString& rawLine : lines) {
        const QStringView line = QStringView(rawLine).trimmed();
        if (line.startsWith(u'[')) {
            inKey = line.endsWith(u']') && line.mid(1, line.size() - 2).compare(wantedKey, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inKey)
            continue;
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else {
            const std::optional<QString> quoted = readQuoted(line, pos);
            if (!quoted)
                continue;
            name = *quoted;
        }
        if (pos >= line.size() || line[pos] != u'=' || name.compare(valueName, Qt::CaseInsensitive) != 0)
            continue;
        if (const std::optional<RegistryValue> data = readData(line.mid(pos + 1).trimmed())) {
            value = *data;
            found = true;
        }
    }
    return found;
}

bool findRegistryValue(const QString& storePath, std::uint32_t root, const QString& keyName, const QString& valueName,
                       RegistryValue& value)
{
    const FileBytes file = readWholeFile(storePath, kMaxSmallFileBytes);
    return file.status == FileStatus::Ok && findRegistryValueInStore(file.bytes, root, keyName, valueName, value);
}

bool registryValueText(const RegistryValue& value, QString& valueText)
{
    if (value.data.size() > kRegistryValueLimit) {
        valueText.clear();
        return false;
    }
    QByteArray bytes = value.data;
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    switch (value.type) {
    case kRegSz:
        valueText = cp932::decode(bytes);
        break;
    case kRegDword:
        valueText =
            u"&h"_s +
            QString::number(qFromLittleEndian<quint32>(value.data.leftJustified(4, '\0').constData()), 16).toUpper();
        break;
    default:
        // Other types are read but give no text: the caller's text stays as it was.
        break;
    }
    return true;
}

bool getKeyValue(const QString& storePath, std::uint32_t keyRoot, const QString& keyName, const QString& valueName,
                 QString& valueText)
{
    RegistryValue value;
    if (!findRegistryValue(storePath, keyRoot, keyName, valueName, value)) {
        valueText.clear();
        return false;
    }
    return registryValueText(value, valueText);
}

bool getKeyValue(std::uint32_t keyRoot, const QString& keyName, const QString& valueName, QString& valueText)
{
    return getKeyValue(registryStorePath(), keyRoot, keyName, valueName, valueText);
}

} // namespace qh

namespace qh {

std::optional<QString> findSysInfoProgram(const QString& storePath)
{
    QString path;
    if (getKeyValue(storePath, kHKeyLocalMachine, kMsinfoPathKey, kMsinfoPathValue, path))
        return path;
    QString folder;
    if (!getKeyValue(storePath, kHKeyLocalMachine, kMsinfoFolderKey, kMsinfoFolderValue, folder))
        return std::nullopt;
    const QString candidate = folder + u'/' + kMsinfoFileName;
    if (!QFileInfo(candidate).isFile())
        return std::nullopt;
    return candidate;
}

} // namespace qh
