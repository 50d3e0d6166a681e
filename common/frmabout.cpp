#include "frmabout.h"

#include "bgrcolor.h"
#include "messagebox.h"
#include "programinfo.h"
#include "registrystore.h"
#include "twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>

namespace qh {

namespace {

QPointer<frmAbout> g_aboutBox;
bool g_referenceSet = false;

const QString kDescription =
    QStringLiteral("先生のパソコンで開いたWebページを、教室の子どものパソコン30台に同時に表示させます。");

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
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + QString::number(major) + u'.' + QString::number(minor) + u'.' +
           QString::number(revision);
}

QString aboutCaption(const QString& programTitle)
{
    return programTitle + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報");
}

frmAbout::frmAbout() : QDialog(nullptr)
{
    setObjectName(QStringLiteral("frmAbout"));
    // Fixed border, a close box, neither minimise nor maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFixedSize(twips::sizeToPixels(5730, 3750));
    move(twips::toPixels(2340, 1935));

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    twips::place(m_cmdOK, 4245, 2760, 1380, 345);
    m_cmdOK->setDefault(true);

    m_cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    m_cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    twips::place(m_cmdSysInfo, 4260, 3240, 1380, 345);
    setTabOrder(m_cmdOK, m_cmdSysInfo);

    m_picIcon = new QLabel(this);
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    const QPixmap icon = QApplication::windowIcon().pixmap(twips::sizeToPixels(480, 480));
    m_picIcon->setPixmap(icon);
    // The picture box sizes itself to the picture.
    m_picIcon->setGeometry(QRect(twips::toPixels(240, 240), icon.isNull() ? twips::sizeToPixels(540, 540)
                                                                          : icon.deviceIndependentSize().toSize()));

    m_lblTitle = new QLabel(this);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    twips::place(m_lblTitle, 1050, 240, 3885, 480);
    QFont titleFont;
    titleFont.setFamilies(
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("Noto Sans CJK JP")});
    titleFont.setPointSize(12);
    titleFont.setWeight(QFont::Normal);
    m_lblTitle->setFont(titleFont);
    setTextColor(m_lblTitle, kBgrRed);

    m_lblVersion = new QLabel(this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    twips::place(m_lblVersion, 1050, 780, 3885, 225);

    m_lblDescription = new QLabel(kDescription, this);
    m_lblDescription->setObjectName(QStringLiteral("lblDescription"));
    m_lblDescription->setWordWrap(true);
    m_lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    twips::place(m_lblDescription, 1080, 1125, 3885, 570);
    setTextColor(m_lblDescription, kBgrBlack);

    // Grey line with a white one under it: one etched separator.
    addLine(this, 105, 5654, 2640, 2, kBgrWhite)->setObjectName(QStringLiteral("Line1(0)"));
    addLine(this, 90, 5654, 2640, 1, kBgrGrey)->setObjectName(QStringLiteral("Line1(1)"));

    m_lblDisclaimer = new QLabel(this);
    m_lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    m_lblDisclaimer->setWordWrap(true);
    twips::place(m_lblDisclaimer, 240, 2880, 3870, 825);
    setTextColor(m_lblDisclaimer, kBgrBlack);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    Form_Load();
    m_cmdOK->setFocus();
}

void frmAbout::Form_Load()
{
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(aboutCaption(programTitle()));
    m_lblVersion->setText(aboutVersionText(kVersionMajor, kVersionMinor, kVersionRevision));
    m_lblTitle->setText(programTitle());
}

void frmAbout::cmdOK_Click()
{
    if (g_aboutBox == this)
        g_referenceSet = false;
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    // Esc, like Enter, presses OK (the dialog's own Esc would only reject).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    // The frame's close box unloads the box; the program's reference is left as it is.
    event->accept();
}

void showAboutBox()
{
    if (!g_aboutBox) {
        g_aboutBox = new frmAbout; // deletes itself when closed (WA_DeleteOnClose)
        g_referenceSet = true;
        // A box still open when the program ends goes with it.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, g_aboutBox, &QWidget::close);
    }
    g_aboutBox->show();
    g_aboutBox->raise();
    g_aboutBox->activateWindow();
}

AboutBoxState aboutBoxState()
{
    if (!g_referenceSet)
        return AboutBoxState::None;
    return g_aboutBox ? AboutBoxState::Open : AboutBoxState::Closed;
}

frmAbout* aboutBox()
{
    return g_aboutBox;
}

void StartSysInfo()
{
    const std::optional<QString> program = findSysInfoProgram(registryStorePath());
    if (program && QProcess::startDetached(*program, {}))
        return;
    showMessage(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
}

} // namespace qh
