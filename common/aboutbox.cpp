#include "common/aboutbox.h"

#include "common/bgrcolor.h"
#include "common/messages.h"
#include "common/programinfo.h"
#include "common/registrystore.h"
#include "common/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace qh {

namespace {

QPointer<AboutBox> g_aboutBox;

const QString kDescription = u"先生のパソコンで開いたWebページを、教室の子どものパソコン30台に同時に表示させます。"_s;

// A horizontal line drawn as a filled strip, like the etched separator of the layout.
QFrame* addLine(QWidget* parent, int x1, int x2, int y, int widthPixels, std::uint32_t bgr)
{
    auto* line = new QFrame(parent);
    const QRect span = twips::rectToPixels(x1, y, x2 - x1, 0);
    line->setGeometry(span.x(), span.y(), span.width(), widthPixels);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colorFromBgr(bgr));
    line->setPalette(palette);
    return line;
}

} // namespace

QString aboutVersionText(int major, int minor, int revision)
{
    return u"ﾊﾞｰｼﾞｮﾝ "_s + QString::number(major) + u'.' + QString::number(minor) + u'.' + QString::number(revision);
}

QString aboutCaption(const QString& programTitle)
{
    return programTitle + u"のﾊﾞｰｼﾞｮﾝ情報"_s;
}

AboutBox::AboutBox() : QDialog(nullptr)
{
    setObjectName(u"frmAbout"_s);
    // Fixed border, a close box, neither minimise nor maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(u"ﾊﾞｰｼﾞｮﾝ情報"_s);
    setFixedSize(twips::sizeToPixels(5730, 3750));
    move(twips::toPixels(2340, 1935));

    m_okButton = new QPushButton(u"OK"_s, this);
    m_okButton->setObjectName(u"cmdOK"_s);
    twips::place(m_okButton, 4245, 2760, 1380, 345);
    m_okButton->setDefault(true);

    m_systemInfoButton = new QPushButton(u"ｼｽﾃﾑ情報(&S)..."_s, this);
    m_systemInfoButton->setObjectName(u"cmdSysInfo"_s);
    twips::place(m_systemInfoButton, 4260, 3240, 1380, 345);
    setTabOrder(m_okButton, m_systemInfoButton);

    m_icon = new QLabel(this);
    m_icon->setObjectName(u"picIcon"_s);
    const QPixmap icon = QApplication::windowIcon().pixmap(twips::sizeToPixels(480, 480));
    m_icon->setPixmap(icon);
    // The picture box sizes itself to the picture.
    m_icon->setGeometry(QRect(twips::toPixels(240, 240),
                              icon.isNull() ? twips::sizeToPixels(540, 540) : icon.deviceIndependentSize().toSize()));

    m_title = new QLabel(this);
    m_title->setObjectName(u"lblTitle"_s);
    twips::place(m_title, 1050, 240, 3885, 480);
    QFont titleFont;
    titleFont.setFamilies({u"ＭＳ Ｐゴシック"_s, u"MS PGothic"_s, u"Noto Sans CJK JP"_s});
    titleFont.setPointSize(12);
    titleFont.setWeight(QFont::Normal);
    m_title->setFont(titleFont);
    setTextColor(m_title, kBgrRed);

    m_version = new QLabel(this);
    m_version->setObjectName(u"lblVersion"_s);
    twips::place(m_version, 1050, 780, 3885, 225);

    m_description = new QLabel(kDescription, this);
    m_description->setObjectName(u"lblDescription"_s);
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    twips::place(m_description, 1080, 1125, 3885, 570);
    setTextColor(m_description, kBgrBlack);

    // Grey line with a white one under it: one etched separator.
    addLine(this, 105, 5654, 2640, 2, kBgrWhite)->setObjectName(u"Line1(0)"_s);
    addLine(this, 90, 5654, 2640, 1, kBgrGrey)->setObjectName(u"Line1(1)"_s);

    m_disclaimer = new QLabel(this);
    m_disclaimer->setObjectName(u"lblDisclaimer"_s);
    m_disclaimer->setWordWrap(true);
    twips::place(m_disclaimer, 240, 2880, 3870, 825);
    setTextColor(m_disclaimer, kBgrBlack);

    connect(m_okButton, &QPushButton::clicked, this, &AboutBox::accept);
    connect(m_systemInfoButton, &QPushButton::clicked, this, &startSystemInformation);

    fill();
    m_okButton->setFocus();
}

void AboutBox::fill()
{
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(aboutCaption(programTitle()));
    m_version->setText(aboutVersionText(kVersionMajor, kVersionMinor, kVersionRevision));
    m_title->setText(programTitle());
}

void AboutBox::accept()
{
    close();
}

void AboutBox::keyPressEvent(QKeyEvent* event)
{
    // Esc, like Enter, presses OK (the dialog's own Esc would only reject).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_okButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void showAboutBox()
{
    if (!g_aboutBox) {
        g_aboutBox = new AboutBox; // deletes itself when closed (WA_DeleteOnClose)
        // A box still open when the program ends goes with it.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, g_aboutBox, &QWidget::close);
    }
    g_aboutBox->show();
    g_aboutBox->raise();
    g_aboutBox->activateWindow();
}

void startSystemInformation()
{
    const std::optional<QString> program = findSysInfoProgram(registryStorePath());
    if (program && QProcess::startDetached(*program, {}))
        return;
    showMessage(u"現時点ではｼｽﾃﾑ情報を使用できません"_s);
}

} // namespace qh
