#pragma once

#include "common/logcategories.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>

#include <memory>

class QWebEngineDownloadRequest;
class QWebEngineLoadingInfo;
class QWebEngineNewWindowRequest;
namespace qh {

class PageProfile;

// A page's console (console.log, console.error, ...) goes to Qt's "js" logging category, and so to
// the session's journal. Someone else's script may write to it in a loop all day: each page writes
// at most this many lines in this time, and the next line let through names how many were left out.
inline constexpr int kPageConsoleLines = 10;
inline constexpr qint64 kPageConsoleSpanMs = 60000;

// Where the lesson check's hidden pages differ from the pages the presenter and the child show.
struct PagePolicy {
    PageProfile* profile = nullptr; // the profile the page is in, with its rule for local files
    enum class NewWindows {
        OpenClickedHere, // a window a click asks for opens its address in this page, as a followed link
        Drop,            // every new window is dropped: the page goes only where it is sent
    };
    NewWindows newWindows = NewWindows::OpenClickedHere;
};

// The page in which the presenter and the child show what they are sent, and in which the lesson
// check loads them: someone else's code, which must neither hold the program nor reach beyond the
// page. Every program's pages are locked down here, and only here.
//
// - Script dialogs never wait for a user: alert, confirm and prompt are announced
//   (dialogRequested) and answered at once, confirm with no and prompt with nothing; "leave this
//   page?" is answered yes, so no page holds back the next one.
// - Nothing leaves the page: addresses of schemes the browser cannot show itself (mailto:, any
//   other program's scheme) are refused rather than handed to the desktop; downloads, file
//   choosers, permissions, full screen, protocol handlers, file system access and client
//   certificates are refused. Which local files a page may load or read is its profile's rule
//   (pageprofile.h). A refused download is told (downloadRefused): the presenter
//   tells the teacher, the check names it in its row.
// - A new window asked for by a click opens its address in this page, as a followed link (unless
//   the policy drops them all); one that a script opens by itself is dropped.
// - Its console writes at most kPageConsoleLines lines in kPageConsoleSpanMs to the log.
// - A renderer that no longer answers (a script that never returns) while a navigation waits on
//   it is ended, and the navigation is made again in a new one. renderProcessTerminated() and the
//   end of the held load come meanwhile; isRestartingLoad() tells them from a crash.
class UntrustedPage : public QWebEnginePage
{
    Q_OBJECT
public:
    UntrustedPage(const PagePolicy& policy, QObject* parent);

    // From the end of a renderer that held a navigation until that navigation has started again.
    bool isRestartingLoad() const { return m_restart != Restart::None; }

signals:
    // The text of a script's alert, confirm or prompt, already answered, and the page's origin.
    void dialogRequested(const QString& text, const QUrl& origin);
    // The page started a download (a link, an address that answers with a file); it was refused.
    void downloadRefused(const QUrl& url);

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& text) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& text) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& text, const QString& defaultValue,
                          QString* result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceId) override;

private:
    // A document as the page's history knows it: a reload of the same address is another visit.
    struct DocumentStamp {
        QUrl url;
        QDateTime visited;
        bool operator==(const DocumentStamp&) const = default;
    };
    // The probes asked of the renderer and the last one it answered. Shared with the probes'
    // callbacks, which may come after the page is gone.
    struct ProbeState {
        quint64 sent = 0;
        quint64 answered = 0;
    };

    void refuseDownload(QWebEngineDownloadRequest* download);
    void openNewWindowHere(QWebEngineNewWindowRequest& request);
    void watchLoading(const QWebEngineLoadingInfo& info);
    void checkNavigation();
    void endUnansweringRenderer();
    void restartLoad();

    const PagePolicy::NewWindows m_newWindows;
    // The navigation being watched: its address, and the document shown when it started.
    QUrl m_navigation;
    DocumentStamp m_documentBefore;
    QTimer m_navigationCheck;
    QTimer m_answerWait;
    std::shared_ptr<ProbeState> m_probeState;
    // After a renderer was ended: waiting for the held load's end, then for the new load's start.
    enum class Restart { None, Ending, Loading };
    Restart m_restart = Restart::None;
    QUrl m_restartTarget;
    QTimer m_restartFallback;
    LogBudget m_consoleBudget{kPageConsoleLines, kPageConsoleSpanMs};
    QElapsedTimer m_consoleClock;
};

} // namespace qh
