#include "master/classview.h"

#include "master/classroom.h"
#include "master/classviewwindow.h"
#include "master/followstyle.h"
#include "master/presentermessages.h"
#include "master/presenterservices.h"

namespace qh::master {

namespace {
constexpr int kRefreshMs = 1000;
} // namespace

ClassView::ClassView(PresenterServices& services, Classroom& classroom, QObject* parent)
    : QObject(parent), m_services(services), m_classroom(classroom), m_refresh(this)
{
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &ClassView::refresh);
    connect(&m_classroom.pictures(), &ClassPictures::pictureChanged, this, &ClassView::refreshTile);
    connect(&m_classroom.attention(), &Attention::changed, this, &ClassView::showAttention);
}

ClassView::~ClassView()
{
    if (m_window)
        m_classroom.setViewOpen(false);
}

void ClassView::open()
{
    if (!m_window) {
        QList<int> slotIndexes;
        for (int index = 0; index < kSlotCount; ++index) {
            if (m_services.childSlot(index).holdsComputer())
                slotIndexes.append(index);
        }
        m_window = std::make_unique<ClassViewWindow>(slotIndexes);
        connect(m_window.get(), &ClassViewWindow::closed, this, &ClassView::windowClosed);
        connect(m_window.get(), &ClassViewWindow::liftClicked, &m_classroom.attention(), &Attention::lift);
        refresh();
    }
    m_classroom.setViewOpen(true);
    m_refresh.start();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void ClassView::windowClosed()
{
    m_refresh.stop();
    m_classroom.setViewOpen(false);
    if (!m_window)
        return;
    m_window->disconnect(this);
    // Discarded once its close has finished.
    m_window.release()->deleteLater();
}

TileContent ClassView::contentOf(int slotIndex) const
{
    const SlotFollowing following = m_services.slotFollowing(slotIndex);
    const QString& name = m_services.childSlot(slotIndex).computerName;
    const ClassPictures& pictures = m_classroom.pictures();
    const SlotPicture& picture = pictures.picture(slotIndex);
    TileContent content{slotTitle(slotIndex + 1, name),
                        followStateText(following.state),
                        followBackground(following.state),
                        picture.image,
                        picture.hidden ? kPageHiddenText : kNoPictureText,
                        {},
                        pictures.isStale(slotIndex),
                        followingToolTip(slotIndex + 1, name, following)};
    if (const std::optional<qint64> age = pictures.ageMs(slotIndex))
        content.age = pictureAgeText(*age);
    return content;
}

void ClassView::refresh()
{
    if (!m_window)
        return;
    for (const int index : m_window->slotIndexes())
        refreshTile(index);
    showAttention();
}

void ClassView::refreshTile(int slotIndex)
{
    if (!m_window)
        return;
    if (ClassTile* tile = m_window->tile(slotIndex)) {
        tile->showContent(contentOf(slotIndex));
        m_window->updateLarger(slotIndex);
    }
}

void ClassView::showAttention()
{
    if (!m_window)
        return;
    const Attention& attention = m_classroom.attention();
    m_window->showAttention(attention.isOn() ? attentionStatusText(attention.remainingMs()) : QString());
}

} // namespace qh::master
