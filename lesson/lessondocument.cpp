#include "lesson/lessondocument.h"

#include "common/cp932text.h"
#include "common/pagetitles.h"
#include "common/urllist.h"
#include "lesson/lessonmessages.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace qh::lesson {

namespace {
bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes); // converted here, when the result is taken
    return !decoder.hasError();
}
} // namespace

LessonDocument::LessonDocument(QObject* parent) : QObject(parent) {}

QString LessonDocument::displayName() const
{
    return m_fileName.isEmpty() ? kUntitledName : QFileInfo(m_fileName).fileName();
}

LessonDocument::Result LessonDocument::open(const QString& fileName)
{
    const QString shownName = QFileInfo(fileName).fileName();
    const FileBytes file = readWholeFile(fileName, kMaxListBytes);
    if (file.status == FileStatus::TooLarge)
        return {false, openTooLargeText(shownName, kMaxListBytes)};
    if (file.status == FileStatus::NotAFile)
        return {false, openNotAFileText(shownName)};
    if (file.status == FileStatus::Unopenable)
        return {false, openUnreadableText(shownName)};

    QStringList notes;
    ListTextCode code = ListTextCode::Cp932;
    // A list that is not code page 932 but is UTF-8 was saved by an editor that does not know the
    // presenter's code page; it is read as it was meant and written back as code page 932.
    if (!cp932::canDecode(file.bytes)) {
        if (isUtf8(file.bytes)) {
            code = ListTextCode::Utf8;
            notes.append(openReadAsUtf8Text(shownName));
        } else {
            notes.append(openUndecodableText(shownName));
        }
    }
    const UrlListParse list = parseUrlList(file.bytes, kMaxUrlListEntries, code);
    if (list.truncated)
        notes.append(openTruncatedText(shownName, kMaxUrlListEntries));

    const PageTitles known = PageTitles::load();
    QHash<QString, QString> titles;
    for (const QString& entry : list.entries) {
        if (const QString title = known.title(entry); !title.isEmpty())
            titles.insert(entry, title);
    }
    m_model.setEntries(list.entries, titles);
    m_model.setModified(code == ListTextCode::Utf8); // the file still has to be rewritten
    m_newFile = file.status == FileStatus::Missing;
    m_dropsEntries = list.truncated;
    setFileName(fileName);
    return {true, notes.join(u"\n\n"_s)};
}

void LessonDocument::startNew()
{
    m_model.setEntries({});
    m_newFile = true;
    m_dropsEntries = false;
    setFileName({});
}

LessonDocument::Result LessonDocument::save()
{
    const QString shownName = displayName();
    const UrlListSave saved = saveUrlListFile(m_fileName, m_model.entries());
    switch (saved.status) {
    case UrlListSaveStatus::Saved:
        break;
    case UrlListSaveStatus::Refused:
        return {false, saveRefusedText(shownName, saved.write), saved.write.entryIndex};
    case UrlListSaveStatus::ReadOnly:
        return {false, saveReadOnlyText(shownName)};
    case UrlListSaveStatus::NotWritten:
        return {false, saveNotWrittenText(shownName, saved.error)};
    }
    m_model.setModified(false);
    m_newFile = false;
    m_dropsEntries = false;
    emit fileNameChanged(); // the file now exists
    return {};
}

LessonDocument::Result LessonDocument::saveAs(const QString& fileName)
{
    const QString previous = m_fileName;
    m_fileName = fileName;
    const Result result = save();
    if (result.ok)
        setFileName(fileName);
    else
        m_fileName = previous;
    return result;
}

void LessonDocument::setFileName(const QString& fileName)
{
    m_fileName = fileName;
    emit fileNameChanged();
}

} // namespace qh::lesson
