#pragma once

#include "common/urllist.h"
#include "lesson/lessonmodel.h"

#include <QObject>
#include <QString>

// The URL list file being edited: its name, its entries (the model), how it is opened and saved,
// and what the user is told about it.
namespace qh::lesson {

class LessonDocument : public QObject
{
    Q_OBJECT
public:
    // A list larger than this is not a lesson: it is refused rather than read into memory.
    // The presenter reads no larger list either.
    static constexpr qint64 kMaxListBytes = kMaxUrlListFileBytes;

    explicit LessonDocument(QObject* parent = nullptr);

    LessonModel& model() { return m_model; }
    const LessonModel& model() const { return m_model; }

    // The name as opened or saved (relative to the working folder or absolute); empty when untitled.
    QString fileName() const { return m_fileName; }
    // The file's name without its folder, or 無題.
    QString displayName() const;
    // The file does not exist yet: saving makes it.
    bool isNewFile() const { return m_newFile; }
    // The file held more entries than a list can, and saving it drops the rest.
    bool dropsEntries() const { return m_dropsEntries; }

    struct Result {
        bool ok = true;
        QString message;     // for the user; may be set when ok (how the file was read)
        int refusedRow = -1; // the entry that could not be saved
    };

    // Opens the list; a file that does not exist gives an empty list saved under its name. On
    // failure the document stays as it was.
    Result open(const QString& fileName);
    // An empty list without a name.
    void startNew();
    // Saves the list under its name (see saveUrlListFile); nothing is written when an entry cannot
    // be, and the file is left as it was on every failure.
    Result save();
    Result saveAs(const QString& fileName);

signals:
    void fileNameChanged();

private:
    void setFileName(const QString& fileName);

    LessonModel m_model;
    QString m_fileName;
    bool m_newFile = false;
    bool m_dropsEntries = false;
};

} // namespace qh::lesson
