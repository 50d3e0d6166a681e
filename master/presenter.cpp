#include "master/presenter.h"

#include "common/datagrams.h"
#include "common/keytexts.h"
#include "common/messages.h"
#include "common/messagetexts.h"
#include "common/urllist.h"
#include "master/presentermessages.h"
#include "master/presentertrace.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>

using namespace Qt::StringLiterals;

namespace qh::master {

namespace {
// No wait of the presenter lasts longer: a page still loading then counts as loaded and a name
// without an answer as not found, so that neither a page nor the name service can hold End.
constexpr std::chrono::milliseconds kLongestWait{10000};
// At most one address the browser moved to by itself is forwarded in this time: a page that
// changes its address in a loop (history.pushState) would make every child load a page each time.
constexpr std::chrono::milliseconds kForwardInterval{500};
} // namespace

Presenter::Presenter(PresenterOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)),
      m_singleInstance(m_options.lockFilePath.isEmpty() ? SingleInstance::userLockFilePath(kPresenterLockName)
                                                        : m_options.lockFilePath),
      m_channel(this), m_sender(m_state.settings, m_channel, m_reports),
      m_followUp(m_state.settings, m_reports, m_sender),
      m_classroom(m_state.settings, m_channel, m_sender, m_reports, m_followUp)
{
    if (m_options.urlListFileName.isEmpty())
        m_options.urlListFileName = kDefaultUrlListFileName;
    connect(&m_channel, &ChildChannel::datagramRead, this, &Presenter::handleDatagram);
    connect(&m_view, &ViewFollower::datagramReady, this, &Presenter::sendToOurChildren);
    connect(&m_view, &ViewFollower::currentViewChanged, &m_followUp, &ChildFollowUp::setCurrentView);
}

Presenter::~Presenter() = default;

void Presenter::run()
{
    if (startUp())
        followBrowser();
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
    emit barNeeded();
    trace(u"bar"_s);
    if (!readFiles())
        return false; // abandoned: the bar stays, End ends the program
    readKey();
    trace(u"files"_s);
    bindSocket();
    trace(u"bound"_s);
    announceToChildren();
    trace(u"announced"_s);
    emit panelPreparing();
    trace(u"panel"_s);
    openBrowser();
    return !m_ended;
}

void Presenter::handleDatagram(const QByteArray& datagram, const QHostAddress& sender)
{
    emit datagramReceived(datagram);
    // A picture is no report and no call to confirm.
    if (m_classroom.takeDatagram(datagram, sender))
        return;
    m_followUp.handleDatagram(datagram, sender);
    updateListened();
}

bool Presenter::readFiles()
{
    const QString& listName = m_options.urlListFileName;
    const UrlListReadResult list = readUrlListFile(listName);
    if (list.status != FileStatus::Ok) {
        // A file that exists but cannot be opened abandons the start-up without a message, as always.
        if (const QString text = urlListProblemText(listName, list.status); !text.isEmpty())
            showMessage(text, kOwnMessageTitle);
        return false;
    }

    m_state.urlList = list.list.entries;
    m_state.lastPageIndex = std::int16_t(m_state.urlList.size() - 1);
    if (list.list.truncated)
        showMessage(urlListTruncatedText(listName, kMaxUrlListEntries), kOwnMessageTitle);

    const SettingsReadResult settings = readSettingsFile(kSettingsFileName);
    if (settings.status != FileStatus::Ok) {
        if (const QString text = settingsFileProblemText(settings.status); !text.isEmpty())
            showMessage(text, kOwnMessageTitle);
        return false;
    }

    m_state.settings = settings.settings;
    return true;
}

void Presenter::readKey()
{
    const SigningKeyFile read = readSigningKeyFile(kTeacherKeyFileName);
    // No key file at all is a class without keys, as ever; a key that is there and unusable is a
    // mistake to show, since the children that hold the teacher's key will not follow.
    if (read.problem != KeyFileProblem::None && read.problem != KeyFileProblem::Missing)
        showMessage(keyNotUsedText(keyFileProblemText(kTeacherKeyFileName, read.problem)), kOwnMessageTitle);
    m_sender.setKey(read.key);
}

void Presenter::bindSocket()
{
    const std::int16_t port = m_state.settings.masterPort;
    if (!m_channel.bind(port))
        showMessage(masterPortUnusableText(port), kOwnMessageTitle);
    // Every send to an unusable child port fails without a word; say so once instead.
    if (!isUsablePort(m_state.settings.childPort))
        showMessage(childPortUnusableText(m_state.settings.childPort), kOwnMessageTitle);
}

void Presenter::announceToChildren()
{
    m_forwardDestinations.reset();
    const QList<int> inUse = slotsInUse();
    const Destinations destinations = lookUpNames(inUse);
    const ChildSender::Prepared visible = m_sender.prepare(datagramBytes(commandText(kVerbVisibleTrue)), inUse);
    for (int slot : inUse) {
        sendToChild(slot, visible, destinations);
        const QByteArray mode = datagramBytes(commandText(m_state.settings.childSlots[slot].screenMode));
        sendToChild(slot, m_sender.prepare(mode, {slot}), destinations);
    }
}

void Presenter::openBrowser()
{
    m_browser = m_options.createBrowser();
    m_view.setBrowser(m_browser.get());
    m_browser->setToolBar(false);
    m_browser->setMenuBar(false);
    m_browser->setFullScreen(isFullScreen(m_state.settings.screenMode));
    trace(u"browser"_s);
    m_running = true;
    m_followUp.setAnswering(true);
    m_classroom.setRunning(true);
    if (m_state.urlList.isEmpty()) {
        // Nothing to present: a blank page, and nothing for the children.
        m_browser->navigate(QString());
        m_browser->setVisible(true);
        waitWhileBusy();
    } else {
        showPage(m_state.urlList.first(), 0);
    }
    if (m_browser)
        m_browser->setVisible(true);
}

void Presenter::followBrowser()
{
    m_stopFollowing = false;
    QString seenAddress = browserLocation();
    bool forwardPending = false;
    // A forward that comes too soon after the last waits for this timer, whose event ends the wait
    // of the pass; the address then forwarded is the one the browser shows by that time.
    QTimer forwardDue;
    forwardDue.setSingleShot(true);
    forwardDue.setTimerType(Qt::PreciseTimer);
    QDeadlineTimer nextForward(0);
    // A forward is waiting for its time: the children have been sent another page than the one
    // last forwarded, so they are owed the browser's address even when it is that one again (a
    // link followed, >>, and the same link followed again within the wait).
    bool forwardOwed = false;
    while (!m_stopFollowing && !m_ended) {
        m_state.presenterNavigated = false;
        // Block until something happens, unless a page held back in the last pass is still due.
        QCoreApplication::processEvents(forwardPending ? QEventLoop::AllEvents
                                                       : QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        forwardPending = false;
        if (m_stopFollowing || m_ended || !m_browser)
            break;
        if (m_browser->locationUrl() == seenAddress && !forwardOwed) {
            m_forwardDestinations.reset(); // no forward follows the page they were looked up for
            continue;
        }
        if (m_state.presenterNavigated) {
            forwardPending = true; // the button just showed it; forward it in the next pass
            continue;
        }
        if (!nextForward.hasExpired()) {
            forwardOwed = true;
            if (!forwardDue.isActive())
                forwardDue.start(std::chrono::milliseconds(nextForward.remainingTime()));
            continue;
        }
        forwardOwed = false;
        seenAddress = m_browser->locationUrl();
        showPage(seenAddress, m_state.pageIndex, std::exchange(m_forwardDestinations, std::nullopt), ShownPage::Keep);
        nextForward.setRemainingTime(kForwardInterval, Qt::PreciseTimer);
        if (m_browser)
            m_browser->setVisible(true);
    }
}

void Presenter::showPage(const QString& address, std::int16_t pageNumber)
{
    m_forwardDestinations.reset();
    showPage(address, pageNumber, std::nullopt, ShownPage::Reload);
}

Presenter::Destinations Presenter::showPage(const QString& address, std::int16_t pageNumber,
                                            std::optional<Destinations> known, ShownPage shown)
{
    if (!m_browser)
        return {};
    m_lastShownAddress = address;
    // Loading the page the browser shows once more would fetch it twice, lose what the teacher
    // did in it and make the children wait for the second load: its load is only waited for.
    const bool shownAlready = shown == ShownPage::Keep && m_browser->locationUrl() == address;
    if (!shownAlready) {
        trace(u"navigate"_s, address);
        m_browser->navigate(address);
    }
    m_browser->setVisible(true);
    emit browserShown();
    if (shownAlready)
        waitWithoutInput([this] { return !m_browser || !m_browser->isLoading(); });
    else
        waitWhileBusy();
    trace(u"loaded"_s, address);
    emit pageShown(pageNumber);
    // Nothing can switch a child on or off during the load: the slots are those in use now.
    const QList<int> inUse = slotsInUse();
    const bool knownForAll = known && std::all_of(inUse.cbegin(), inUse.cend(), [&](int slot) {
                                 return known->contains(m_state.settings.childSlots[slot].computerName);
                             });
    const Destinations destinations = knownForAll ? *std::move(known) : lookUpNames(inUse);
    const QByteArray datagram = datagramBytes(address); // the same bytes for every child
    m_followUp.setCurrentPage(datagram);
    m_pageDestinations = destinations;
    m_view.setCurrentPage(datagram);
    // Signed once for all the children that asked, also those that a name not found leaves out.
    const ChildSender::Prepared page = m_sender.prepare(datagram, inUse);
    if (page.tooLongToSign() && std::exchange(m_tooLongToSignAddress, address) != address)
        showMessage(addressTooLongToSignText(datagram.size()), kOwnMessageTitle);
    sendSignedCopies(inUse, page, destinations);
    for (int slot : inUse) {
        m_followUp.notePageSent(slot);
        // Slots left out here are sent the page by the follow-up once their child reports another.
        if (!sendToChild(slot, page, destinations, ChildSender::Copies::Plain))
            break; // the first name not found ends this page's sends
    }
    trace(u"sent"_s, address);
    return destinations;
}

QList<int> Presenter::slotsInUse() const
{
    QList<int> inUse;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (m_state.settings.childSlots[slot].isInUse())
            inUse.append(slot);
    }
    return inUse;
}

Presenter::Destinations Presenter::lookUpNames(const QList<int>& slotIndexes)
{
    Destinations destinations;
    QStringList toLookUp;
    for (int slot : slotIndexes) {
        const QString& name = m_state.settings.childSlots[slot].computerName;
        if (destinations.contains(name) || toLookUp.contains(name))
            continue;
        // An address in text form (and the empty name) needs no name service and no wait.
        if (const std::optional<ComputerAddress> known = addressWithoutLookup(name))
            destinations.insert(name, *known);
        else
            toLookUp.append(name);
    }
    if (toLookUp.isEmpty())
        return destinations;
    ComputerNameLookup lookup;
    connect(
        &lookup, &ComputerNameLookup::answered, &lookup,
        [&destinations](const QString& name, const ComputerAddress& address) { destinations.insert(name, address); });
    lookup.start(toLookUp);
    waitWithoutInput([&lookup] { return lookup.pending() == 0; });
    return destinations;
}

void Presenter::waitWhileBusy()
{
    waitWithoutInput([this] { return !m_browser || !m_browser->isBusy(); });
}

void Presenter::waitWithoutInput(const std::function<bool()>& done)
{
    m_channel.setReadingHeld(true);
    const QDeadlineTimer deadline(kLongestWait);
    QTimer wakeAtDeadline; // ends the wait for events when nothing else comes
    wakeAtDeadline.setSingleShot(true);
    wakeAtDeadline.setTimerType(Qt::PreciseTimer); // a coarse timer may come early, and then never again
    wakeAtDeadline.start(kLongestWait);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
                                        QEventLoop::WaitForMoreEvents);
    m_channel.setReadingHeld(false);
}

void Presenter::home()
{
    if (!m_running || m_state.urlList.isEmpty())
        return;
    showPage(m_state.urlList.first(), 0);
    m_state.pageIndex = 0;
}

void Presenter::nextPage()
{
    if (!m_running || m_state.pageIndex >= m_state.lastPageIndex)
        return;
    ++m_state.pageIndex;
    m_forwardDestinations =
        showPage(m_state.urlList.at(m_state.pageIndex), m_state.pageIndex, std::nullopt, ShownPage::Reload);
    m_state.presenterNavigated = true;
}

void Presenter::previousPage()
{
    if (!m_running || m_state.pageIndex <= 0)
        return;
    --m_state.pageIndex;
    m_forwardDestinations =
        showPage(m_state.urlList.at(m_state.pageIndex), m_state.pageIndex, std::nullopt, ShownPage::Reload);
    m_state.presenterNavigated = true;
}

void Presenter::togglePanel()
{
    if (m_running)
        emit panelToggled();
}

void Presenter::end()
{
    if (m_ended)
        return;
    m_followUp.setAnswering(false); // no catch-up may follow a child's VisibleFalse
    m_classroom.setRunning(false);  // attention lifted before the pages are hidden
    m_view.setBrowser(nullptr);
    m_forwardDestinations.reset();
    const QList<int> inUse = slotsInUse();
    const Destinations destinations = lookUpNames(inUse);
    const ChildSender::Prepared hide = m_sender.prepare(datagramBytes(commandText(kVerbVisibleFalse)), inUse);
    for (int slot : inUse)
        sendToChild(slot, hide, destinations);
    if (m_browser) {
        m_browser->setVisible(false);
        m_browser.reset();
    }
    m_running = false;
    m_ended = true;
    emit ended();
}

ChildSlot& Presenter::childSlot(int index)
{
    return m_state.settings.childSlots.at(std::size_t(index));
}

QString Presenter::screenMode() const
{
    return m_state.settings.screenMode;
}

void Presenter::sendToChild(int slot, const QStringList& texts)
{
    m_forwardDestinations.reset();
    const Destinations destinations = lookUpNames({slot});
    bool pageSent = false;
    for (const QString& text : texts) {
        if (!text.startsWith(kCommandPrefix)) {
            m_followUp.notePageSent(slot);
            pageSent = true;
        }
        sendToChild(slot, m_sender.prepare(datagramBytes(text), {slot}), destinations);
    }
    // A child switched on again shows the page where the teacher is, as one that catches up.
    const bool found = destinations.value(m_state.settings.childSlots[slot].computerName).isFound();
    if (pageSent && found && m_reports.hasSpoken(slot)) {
        for (const QByteArray& datagram : m_view.currentView())
            sendToChild(slot, m_sender.prepare(datagram, {slot}, PlainCopy::OurChildren), destinations);
    }
    updateListened();
}

void Presenter::sendToOurChildren(const QByteArray& datagram)
{
    QList<ChildRecipient> recipients;
    for (int slot : slotsInUse()) {
        const QString& name = m_state.settings.childSlots[slot].computerName;
        const std::optional<ComputerAddress> address =
            m_pageDestinations.contains(name) ? m_pageDestinations.value(name) : addressWithoutLookup(name);
        if (address && address->isFound())
            recipients.append({slot, address->address});
    }
    // Only the children that have reported get it, signed for those that asked.
    m_sender.sendToAll(datagram, recipients, PlainCopy::OurChildren);
}

void Presenter::updateListened()
{
    const QList<int> inUse = slotsInUse();
    m_view.setListened(
        std::any_of(inUse.cbegin(), inUse.cend(), [this](int slot) { return m_reports.hasSpoken(slot); }));
}

void Presenter::sendSignedCopies(const QList<int>& slotIndexes, const ChildSender::Prepared& datagram,
                                 const Destinations& destinations)
{
    for (int slot : slotIndexes) {
        const QHostAddress destination =
            destinations.value(m_state.settings.childSlots.at(std::size_t(slot)).computerName).address;
        if (!ChildChannel::isUsableDestination(destination))
            return;
        m_sender.send(datagram, {slot, destination}, ChildSender::Copies::Signed);
    }
}

bool Presenter::sendToChild(int slot, const ChildSender::Prepared& datagram, const Destinations& destinations,
                            ChildSender::Copies copies)
{
    const ChildSlot& child = m_state.settings.childSlots.at(std::size_t(slot));
    const QHostAddress destination = destinations.value(child.computerName).address;
    const ChildChannel::SendResult result = m_sender.send(datagram, {slot, destination}, copies);
    if (result == ChildChannel::SendResult::NameNotFound) {
        showMessage(computerNotFoundText(child.computerName), kOwnMessageTitle);
        return false;
    }
    return true;
}

QString Presenter::browserLocation()
{
    const QString location = m_browser ? m_browser->locationUrl() : QString();
    return location.isEmpty() ? m_lastShownAddress : location;
}

SlotFollowing Presenter::slotFollowing(int index) const
{
    return m_followUp.following(index);
}

void Presenter::setBrowserFullScreen(bool fullScreen)
{
    if (m_browser)
        m_browser->setFullScreen(fullScreen);
}

} // namespace qh::master
