#include "child/childbar.h"

#include "child/childmessages.h"
#include "common/keytexts.h"
#include "common/twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace qh::child {

namespace {
constexpr int kWidth = 2160;
constexpr int kHeight = 900;
// Room between the bar and the screen's edges.
constexpr int kCornerMargin = 240;
} // namespace

ChildBar::ChildBar(int number) : BorderedBar(kWidth, kHeight, Qt::WindowStaysOnTopHint)
{
    setObjectName(u"childBar"_s);
    setWindowTitle(childCaption(number));

    m_caption = new QLabel(windowTitle(), this);
    m_caption->setObjectName(u"captionLabel"_s);
    m_caption->setAlignment(Qt::AlignCenter);
    twips::place(m_caption, 60, 60, kWidth - 120, 270);
    addDragHandle(m_caption);

    m_callButton = new QPushButton(kCallButtonText, this);
    m_callButton->setObjectName(u"callButton"_s);
    twips::place(m_callButton, 120, 390, kWidth - 240, 420);
}

void ChildBar::showCallReading(CallState::Reading reading)
{
    m_callButton->setText(callButtonText(reading));
}

void ChildBar::showLookingForMaster(bool looking)
{
    m_looking = looking;
    showCaption();
}

void ChildBar::showKeyTrouble(bool trouble)
{
    m_keyTrouble = trouble;
    showCaption();
}

void ChildBar::showCaption()
{
    m_caption->setText(m_looking ? kLookingForMasterText : m_keyTrouble ? kKeyTroubleText : windowTitle());
}

void ChildBar::showTeacherKey(const QByteArray& publicKey)
{
    setToolTip(publicKey.isEmpty() ? kNoTeacherKeyText : fingerprintText(publicKey));
}

void ChildBar::showInCorner()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const int margin = twips::toPixels(kCornerMargin);
        move(area.right() - width() - margin, area.bottom() - height() - margin);
    }
    show();
}

} // namespace qh::child
