#include "presenter.h"

#include "datagrams.h"
#include "form1.h"
#include "messagebox.h"
#include "presentermessages.h"
#include "urllist.h"
#include "webbrowser.h"

#include <QCoreApplication>

namespace qh::master {

Presenter::Presenter(PresenterOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_singleInstance(m_options.lockFilePath),
      m_form(std::make_unique<Form1>(*this))
{
    if (!m_options.createBrowser)
        m_options.createBrowser = [] { return std::make_unique<WebBrowser>(); };
    connect(&m_channel, &ChildChannel::datagramRead, this, &Presenter::Winsock1_DataArrival);
}

Presenter::~Presenter() = default;

void Presenter::Form_Load()
{
    if (startUp())
        FollowBrowser();
}

bool Presenter::startUp()
{
    m_state = PresenterState{};
    if (!m_singleInstance.tryAcquire()) {
        showMessage(kSecondInstanceText, kSecondInstanceTitle);
        m_ended = true;
        emit ended();
        return false;
    }
    SetTopmost(m_form.get(), 1);
    if (!readFiles())
        return false; // abandoned: the bar stays, End ends the program
    bindSocket();
    announceToChildren();
    if (preparePanel)
        preparePanel();
    openBrowser();
    return !m_ended;
}

bool Presenter::readFiles()
{
    const QString& listName = m_options.urlListFileName;
    const UrlListReadResult list = readUrlListFile(listName);
    if (list.status == UrlListStatus::Missing) {
        showMessage(urlListMissingText(listName), ownMessageTitle());
        return false;
    }
    if (list.status == UrlListStatus::Unopenable)
        return false; // exists but cannot be read: abandoned without a message, as always

    m_state.UrlList = list.list.entries;
    m_state.LastPageIndex = std::int16_t(m_state.UrlList.size() - 1);
    if (list.list.truncated)
        showMessage(urlListTruncatedText(listName, kMaxUrlListEntries), ownMessageTitle());

    const SettingsReadResult settings = ReadSettingsFile(kSettingsFileName);
    if (settings.status == ReadStatus::Missing) {
        showMessage(kSettingsMissingText, ownMessageTitle());
        return false;
    }
    if (settings.status == ReadStatus::Unopenable)
        return false;

    m_state.settings = settings.settings;
    return true;
}

void Presenter::bindSocket()
{
    const std::int16_t port = m_state.settings.MyHostPort;
    if (!m_channel.Bind(port))
        showMessage(masterPortUnusableText(port), ownMessageTitle());
    // Every send to a child port outside 1..32767 fails without a word; say so once instead.
    if (m_state.settings.RemotePort <= 0)
        showMessage(childPortUnusableText(m_state.settings.RemotePort), ownMessageTitle());
}

void Presenter::announceToChildren()
{
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!slotInUse(slot))
            continue;
        SendChildCommand(slot, kVerbVisibleTrue);
        SendChildCommand(slot, m_state.settings.childSlots[slot].screenMode);
    }
}

void Presenter::openBrowser()
{
    m_browser = m_options.createBrowser();
    m_browser->setToolBar(false);
    m_browser->setMenuBar(false);
    m_browser->setFullScreen(isFullScreen(m_state.settings.ScreenSize));
    m_running = true;
    if (m_state.UrlList.isEmpty()) {
        // Nothing to present: a blank page, and nothing for the children.
        m_browser->Navigate(QString());
        m_browser->setVisible(true);
        waitWhileBusy();
    } else {
        ShowPage(m_state.UrlList.first(), 0);
    }
    if (m_browser)
        m_browser->setVisible(true);
}

void Presenter::FollowBrowser()
{
    m_stopFollowing = false;
    QString seenAddress = browserLocation();
    bool forwardPending = false;
    while (!m_stopFollowing && !m_ended) {
        m_state.PresenterNavigated = false;
        // Block until something happens, unless a page held back in the last pass is still due.
        m_lastYieldMayWait = !forwardPending;
        QCoreApplication::processEvents(m_lastYieldMayWait ? QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents
                                                           : QEventLoop::AllEvents);
        forwardPending = false;
        if (m_stopFollowing || m_ended || !m_browser)
            break;
        if (m_browser->LocationURL() != seenAddress) {
            if (m_state.PresenterNavigated) {
                forwardPending = true; // the button just showed it; forward it in the next pass
            } else {
                seenAddress = m_browser->LocationURL();
                ShowPage(seenAddress, m_state.PageIndex);
                if (m_browser)
                    m_browser->setVisible(true);
            }
        }
        if (passFinished)
            passFinished();
    }
}

void Presenter::ShowPage(const QString& address, std::int16_t pageNumber)
{
    if (!m_browser)
        return;
    m_lastShownAddress = address;
    m_browser->Navigate(address);
    m_browser->setVisible(true);
    m_form->keepAbove();
    waitWhileBusy();
    m_form->setPageNumber(pageNumber);
    const QByteArray datagram = datagramBytes(address); // the same bytes for every child
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (slotInUse(slot) && !sendToChild(slot, datagram))
            return; // the first name not found ends this page's sends
    }
}

void Presenter::waitWhileBusy()
{
    // The page loads without the user's input or the children's datagrams being handled; both
    // wait in their queues until the page is shown and sent.
    m_channel.setReadingHeld(true);
    while (m_browser && m_browser->Busy())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
                                        QEventLoop::WaitForMoreEvents);
    m_channel.setReadingHeld(false);
}

void Presenter::Home()
{
    if (!m_running || m_state.UrlList.isEmpty())
        return;
    ShowPage(m_state.UrlList.first(), 0);
    m_state.PageIndex = 0;
}

void Presenter::NextPage()
{
    if (!m_running || m_state.PageIndex >= m_state.LastPageIndex)
        return;
    ++m_state.PageIndex;
    ShowPage(m_state.UrlList.at(m_state.PageIndex), m_state.PageIndex);
    m_state.PresenterNavigated = true;
}

void Presenter::PreviousPage()
{
    if (!m_running || m_state.PageIndex <= 0)
        return;
    --m_state.PageIndex;
    ShowPage(m_state.UrlList.at(m_state.PageIndex), m_state.PageIndex);
    m_state.PresenterNavigated = true;
}

void Presenter::Panel()
{
    if (m_running && panelButton)
        panelButton();
}

void Presenter::End()
{
    if (m_ended)
        return;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (slotInUse(slot))
            SendChildCommand(slot, kVerbVisibleFalse);
    }
    if (m_browser) {
        m_browser->setVisible(false);
        m_browser.reset();
    }
    m_form->hide();
    m_running = false;
    m_ended = true;
    emit ended();
}

ChildSlot& Presenter::childSlot(int index)
{
    return m_state.settings.childSlots.at(std::size_t(index));
}

QString Presenter::screenSize() const
{
    return m_state.settings.ScreenSize;
}

void Presenter::SendChildCommand(int slot, const QString& verb)
{
    sendToChild(slot, datagramBytes(commandText(verb)));
}

void Presenter::SendPageToChild(int slot, const QString& address)
{
    sendToChild(slot, datagramBytes(address));
}

bool Presenter::sendToChild(int slot, const QByteArray& datagram)
{
    const ChildSlot& child = m_state.settings.childSlots.at(std::size_t(slot));
    const ChildChannel::SendResult result = m_channel.send(child.computerName, m_state.settings.RemotePort, datagram);
    if (result == ChildChannel::SendResult::NameNotFound) {
        showMessage(computerNotFoundText(child.computerName), ownMessageTitle());
        return false;
    }
    return true;
}

bool Presenter::slotInUse(int slot) const
{
    return m_state.settings.childSlots.at(std::size_t(slot)).inUse == u"1";
}

QString Presenter::browserLocation()
{
    const QString location = m_browser ? m_browser->LocationURL() : QString();
    return location.isEmpty() ? m_lastShownAddress : location;
}

void Presenter::setBrowserFullScreen(bool fullScreen)
{
    if (m_browser)
        m_browser->setFullScreen(fullScreen);
}

void Presenter::Winsock1_DataArrival(const QByteArray& datagram)
{
    if (datagramArrived)
        datagramArrived(datagram);
}

} // namespace qh::master
