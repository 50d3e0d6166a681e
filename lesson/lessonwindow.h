#pragma once

#include "lesson/lessondocument.h"

#include <QList>
#include <QMainWindow>
#include <QPair>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qh::lesson {

class AddressInput;
class EntryTable;
class HiddenBrowser;
class PageCheck;

// The lesson editor: one URL list in a table, edited in place, extended from the input line and
// from drops, saved on "保存", and checked page by page on "確認" while it stays usable. Leaving a
// list with changes not saved (closing, "開く...", "新規") asks first.
class LessonWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Opens the list of that name (relative to the working folder); a missing file is a new list.
    explicit LessonWindow(const QString& fileName, QWidget* parent = nullptr);
    ~LessonWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void open(const QString& fileName);
    void chooseAndOpen();
    void startNew();
    bool save();
    // Whether the list may be left: it has no changes, they were saved, or the user lets them go.
    bool mayLeave();
    void addFromInput();
    void removeChosen();
    void stepChosen(int step);
    void startCheck();
    void checkFinished(bool cancelled);
    // Where added rows go: after the current row, else at the end.
    int insertionRow() const;
    void showState();

    LessonDocument m_document;
    EntryTable* m_table = nullptr;
    AddressInput* m_input = nullptr;
    QPushButton* m_newButton = nullptr;
    QPushButton* m_openButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_upButton = nullptr;
    QPushButton* m_downButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QLabel* m_status = nullptr;
    QString m_checkStatus;
    QList<QPair<QString, QString>> m_learnedTitles; // by the check now running
    std::unique_ptr<HiddenBrowser> m_browser;       // made on the first check
    std::unique_ptr<PageCheck> m_check;             // uses the browser's probes, so it goes first
};

} // namespace qh::lesson
