#pragma once

#include "common/pagerule.h"

#include <QUrl>
#include <QWebEngineProfile>

#include <memory>
#include <optional>

namespace qh {

// The off-the-record profile of a program's pages. Every request a page makes for a local file (a
// picture, a frame, a style sheet, a script, what a script reads) meets a rule here, not only the
// pages the program goes to, so that no page reaches the computer's other files. Where a page
// goes is the navigation's affair (the presenter opens its list, the child its page rule); requests
// for the web go on as before.
class PageProfile : public QWebEngineProfile
{
    Q_OBJECT
public:
    // The teacher's pages: a local page loads the files of its own folder and of the folders below
    // it, as a worksheet shows its pictures; a web page loads none.
    PageProfile();
    // The child's pages: the files under its local folders, whatever page asks.
    explicit PageProfile(child::PageRule localFolders);
    ~PageProfile() override;

signals:
    // A request for a local file that the rule does not allow was blocked.
    void requestRefused(const QUrl& url, qh::child::Refusal refusal);

private:
    explicit PageProfile(std::optional<child::PageRule> localFolders);

    class Guard;
    std::unique_ptr<Guard> m_guard;
};

} // namespace qh
