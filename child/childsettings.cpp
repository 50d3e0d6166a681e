#include "child/childsettings.h"

#include "child/childmessages.h"
#include "common/computernames.h"
#include "common/cp932text.h"
#include "common/keytexts.h"
#include "common/pagerule.h"
#include "common/settingsfile.h"
#include "common/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <array>
#include <optional>

namespace qh::child {

namespace {

// One value of the settings: its key in the file and its option on the command line. An option
// without a value (a switch) stands for the value it gives.
struct Setting {
    QString key;
    QString option;
    bool required;
    QString switchValue; // empty for an option that takes a value
};

enum SettingIndex {
    Number,
    Master,
    ChildPort,
    MasterPort,
    Bind,
    ScreenMode,
    AcceptAny,
    LocalFolders,
    TeacherKey,
    SettingCount
};

const std::array<Setting, SettingCount> kSettings{{
    {u"Number"_s, u"--number"_s, true, {}},
    {u"Master"_s, u"--master"_s, true, {}},
    {u"ChildPort"_s, u"--port"_s, true, {}},
    {u"MasterPort"_s, u"--master-port"_s, true, {}},
    {u"Bind"_s, u"--bind"_s, false, {}},
    {u"ScreenMode"_s, u"--window"_s, false, kWindowScreenMode},
    {u"AcceptAny"_s, u"--accept-any"_s, false, u"1"_s},
    {u"LocalFolders"_s, u"--local-folders"_s, false, {}},
    {u"TeacherKey"_s, u"--teacher-key"_s, false, {}},
}};

const QString kSettingsOption = u"--settings"_s;

// A value as given, with where it came from, for the messages about it.
struct Given {
    QString text;
    QString where; // the file, or the command line
    QString name;  // the key, or the option
};

using Values = std::array<std::optional<Given>, SettingCount>;

std::optional<int> settingIndex(QStringView key, bool byOption)
{
    for (int i = 0; i < SettingCount; ++i) {
        const Setting& setting = kSettings[std::size_t(i)];
        if (byOption ? key == setting.option : key.compare(setting.key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

struct CommandLine {
    Values values;
    QString settingsFile;
    bool help = false;
    QStringList errors;
};

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--help" || argument == u"-h") {
            line.help = true;
            continue;
        }
        // "--option value" and "--option=value" both name a value.
        const qsizetype equals = argument.startsWith(u"--") ? argument.indexOf(u'=') : -1;
        const QString option = equals < 0 ? argument : argument.left(equals);
        std::optional<QString> inlineValue;
        if (equals >= 0)
            inlineValue = argument.mid(equals + 1);
        const std::optional<int> index = settingIndex(option, true);
        const bool takesValue =
            option == kSettingsOption || (index && kSettings[std::size_t(*index)].switchValue.isEmpty());
        if (option != kSettingsOption && !index) {
            line.errors.append(unknownArgumentText(argument));
            continue;
        }
        QString value;
        if (takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                line.errors.append(optionValueMissingText(option));
                continue;
            }
        } else if (inlineValue) {
            line.errors.append(optionTakesNoValueText(option));
            continue;
        } else {
            value = kSettings[std::size_t(*index)].switchValue;
        }
        if (option == kSettingsOption)
            line.settingsFile = value;
        else
            line.values[std::size_t(*index)] = Given{value, kCommandLineName, option};
    }
    return line;
}

// The values of a settings file; every line outside the format is named in an error.
Values parseSettingsFile(const QByteArray& bytes, const QString& file, QStringList& errors)
{
    Values values;
    std::array<int, SettingCount> lineOf{};
    const QStringList lines = cp932::readLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i) + 1;
        const QString text = lines[i].trimmed();
        if (text.isEmpty() || text.startsWith(u';') || text.startsWith(u'#') || text.startsWith(u'['))
            continue;
        const qsizetype equals = text.indexOf(u'=');
        if (equals <= 0) {
            errors.append(notKeyValueLineText(file, lineNumber, text));
            continue;
        }
        const QString key = text.left(equals).trimmed();
        const std::optional<int> index = settingIndex(key, false);
        if (!index) {
            errors.append(unknownKeyText(file, lineNumber, key));
            continue;
        }
        const Setting& setting = kSettings[std::size_t(*index)];
        if (values[std::size_t(*index)]) {
            errors.append(repeatedKeyText(file, lineNumber, setting.key, lineOf[std::size_t(*index)]));
            continue;
        }
        values[std::size_t(*index)] = Given{text.mid(equals + 1).trimmed(), file, setting.key};
        lineOf[std::size_t(*index)] = lineNumber;
    }
    return values;
}

// A whole number of at most `digits` digits within the range, or none.
std::optional<int> wholeNumber(const QString& text, int digits, int lowest, int highest)
{
    if (text.isEmpty() || text.size() > digits)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int number = text.toInt();
    if (number < lowest || number > highest)
        return std::nullopt;
    return number;
}

// A key that is named but cannot be used is an error: a child that would not follow the teacher,
// or would follow anyone, must not start as if all were well.
void readTeacherKey(const QString& file, const Given& given, ChildSettings& settings, QStringList& errors)
{
    if (file.isEmpty())
        return;
    const QString path = QFileInfo(file).absoluteFilePath();
    const PublicKeyFile read = readPublicKeyFile(path);
    if (read.problem != KeyFileProblem::None) {
        errors.append(badTeacherKeyText(given.where, given.name, keyFileProblemText(path, read.problem)));
        return;
    }
    settings.teacherKey = read.publicKey;
    settings.teacherKeyFile = path;
}

// Checks every value, fills the settings and names each problem.
void checkValues(const Values& values, ChildSettings& settings, QStringList& errors)
{
    for (int i = 0; i < SettingCount; ++i) {
        const std::optional<Given>& given = values[std::size_t(i)];
        if (!given)
            continue; // missing: named before, or left at its default
        const QString& text = given->text;
        if (text.isEmpty() && kSettings[std::size_t(i)].required) {
            errors.append(emptyValueText(given->where, given->name));
            continue;
        }
        switch (SettingIndex(i)) {
        case Number:
            if (const std::optional<int> number = wholeNumber(text, 2, 1, kHighestChildNumber))
                settings.number = *number;
            else
                errors.append(badNumberText(given->where, given->name, text));
            break;
        case ChildPort:
        case MasterPort:
            if (const std::optional<int> port = wholeNumber(text, 5, kLowestUsablePort, kHighestUsablePort))
                (i == ChildPort ? settings.childPort : settings.masterPort) = quint16(*port);
            else
                errors.append(badPortText(given->where, given->name, text));
            break;
        case Master:
            // A name is looked up by the running program, again and again until it is found; only
            // what can never be the teacher's computer is refused here.
            if (const std::optional<ComputerAddress> known = addressWithoutLookup(text); known && !known->isFound())
                errors.append(badMasterText(given->where, given->name, text));
            else
                settings.masterName = text;
            break;
        case Bind:
            if (text.isEmpty())
                break;
            if (QHostAddress address(text); !address.isNull() && address.protocol() == QAbstractSocket::IPv4Protocol)
                settings.bindAddress = address;
            else
                errors.append(badBindAddressText(given->where, given->name, text));
            break;
        case ScreenMode:
            if (text == kFullScreenMode || text == kWindowScreenMode)
                settings.fullScreen = isFullScreen(text);
            else
                errors.append(badScreenModeText(given->where, given->name, text));
            break;
        case AcceptAny:
            if (text == u"0" || text == u"1")
                settings.acceptAnySource = text == u"1";
            else
                errors.append(badSwitchText(given->where, given->name, text));
            break;
        case LocalFolders:
            settings.localFolders.clear();
            for (const QString& part : text.split(u';')) {
                const QString folder = part.trimmed();
                if (folder.isEmpty())
                    continue;
                // A folder relative to whatever folder the child happens to start in allows nothing certain.
                if (!QDir::isAbsolutePath(folder))
                    errors.append(relativeFolderText(given->where, given->name, folder));
                else
                    settings.localFolders.append(QDir::cleanPath(folder));
            }
            break;
        case TeacherKey:
            readTeacherKey(text, *given, settings, errors);
            break;
        case SettingCount:
            break;
        }
    }
}

} // namespace

ChildSettingsResult readChildSettings(const QStringList& arguments, const QStringList& searchFolders)
{
    ChildSettingsResult result;
    const CommandLine line = parseCommandLine(arguments);
    if (line.help) {
        result.outcome = ChildSettingsResult::Outcome::Help;
        return result;
    }
    if (!line.errors.isEmpty()) {
        result.outcome = ChildSettingsResult::Outcome::BadCommandLine;
        result.errors = line.errors;
        return result;
    }
    result.outcome = ChildSettingsResult::Outcome::BadSettings; // until every check has passed
    result.settings.localFolders = defaultLocalFolders(QCoreApplication::applicationDirPath());

    // The file named on the command line must be there; otherwise the first one found is read.
    QString file = line.settingsFile;
    if (file.isEmpty()) {
        for (const QString& folder : searchFolders) {
            if (QFileInfo::exists(QDir(folder).filePath(kChildSettingsFileName))) {
                file = QDir(folder).filePath(kChildSettingsFileName);
                break;
            }
        }
    }
    Values values;
    if (!file.isEmpty()) {
        file = QFileInfo(file).absoluteFilePath();
        const FileBytes bytes = readWholeFile(file, kMaxSmallFileBytes);
        if (bytes.status != FileStatus::Ok) {
            result.errors.append(settingsFileProblemText(file, bytes.status));
            return result;
        }
        values = parseSettingsFile(bytes.bytes, file, result.errors);
        result.settings.settingsFile = file;
    }
    QStringList missingKeys;
    QStringList missingOptions;
    for (int i = 0; i < SettingCount; ++i) {
        if (line.values[std::size_t(i)])
            values[std::size_t(i)] = line.values[std::size_t(i)];
        const Setting& setting = kSettings[std::size_t(i)];
        if (setting.required && !values[std::size_t(i)]) {
            missingKeys.append(setting.key);
            missingOptions.append(setting.option);
        }
    }
    if (!missingKeys.isEmpty())
        result.errors.append(valuesMissingText(file, searchFolders, missingKeys, missingOptions));
    if (!values[TeacherKey] && QFileInfo::exists(kSystemTeacherKeyFile))
        values[TeacherKey] = Given{kSystemTeacherKeyFile, kSystemTeacherKeyFile, kSettings[TeacherKey].key};
    checkValues(values, result.settings, result.errors);
    if (result.errors.isEmpty())
        result.outcome = ChildSettingsResult::Outcome::Run;
    return result;
}

QString usageText()
{
    return u"使い方: Quillharbour_Child [--number NN] [--master NAME] [--port CHILD_PORT]\n"
           u"         [--master-port MASTER_PORT] [--bind ADDRESS] [--window] [--accept-any]\n"
           u"         [--local-folders FOLDERS] [--teacher-key FILE] [--settings FILE]\n"
           u"\n"
           u"  --number NN          このコンピュータの番号（01～30）\n"
           u"  --master NAME        先生のコンピュータ（マスター）の名前またはIPv4アドレス\n"
           u"  --port CHILD_PORT    ページと命令を受け取るポート（Childのポート番号）\n"
           u"  --master-port PORT   呼び出しを送るマスターのポート（Masterのポート番号）\n"
           u"  --bind ADDRESS       受信に使うこのコンピュータのIPv4アドレス（既定: すべてのアドレス）\n"
           u"  --window             ページをウィンドウ表示で始める（既定: 全画面表示）\n"
           u"  --accept-any         マスター以外のコンピュータからのデータも受け付ける\n"
           u"  --local-folders FOLDERS  file:のページを表示してよいフォルダ（絶対パス、;で区切る。\n"
           u"                       既定: インストールされたデモページのフォルダ）\n"
           u"  --teacher-key FILE   先生の鍵（Quillharbour_Teacher.pub）。その鍵で署名されたものだけに従う\n"
           u"                       （空: 鍵なし。既定: /etc/quillharbour/Quillharbour_Teacher.pub があればそれ）\n"
           u"  --settings FILE      Quillharbour_Child.iniの代わりに読む設定ファイル\n"
           u"  --help               この説明を表示する\n"
           u"\n"
           u"オプションは設定ファイルの値に優先します。設定ファイルは作業フォルダ、次に/etc/quillharbour/で探します。\n"_s;
}

QString childLockName(const ChildSettings& settings)
{
    const QString address = settings.bindAddress == QHostAddress(QHostAddress::AnyIPv4)
                                ? QString()
                                : settings.bindAddress.toString() + u'-';
    return kChildTitle + u'-' + address + QString::number(settings.childPort) + u".lock"_s;
}

} // namespace qh::child
