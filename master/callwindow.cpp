#include "master/callwindow.h"

#include "common/twips.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace qh::master {

CallWindow::CallWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(u"Form3"_s);
    // Sizable, with a close box but neither minimise nor maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(u"Quillharbour_Master_Call"_s);
    resize(twips::sizeToPixels(3465, 930));

    m_callList = new QListWidget(this);
    m_callList->setObjectName(u"List1"_s);
    m_callList->setSortingEnabled(false);
    // Every entry is one line of the same font: without this the list lays out all its entries
    // again at each call, which grows with the list.
    m_callList->setUniformItemSizes(true);
    twips::place(m_callList, 240, 120, 2175, 600);

    m_closeButton = new QPushButton(u"閉じる"_s, this);
    m_closeButton->setObjectName(u"Command1"_s);
    twips::place(m_closeButton, 2520, 120, 855, 255);

    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void CallWindow::closeEvent(QCloseEvent* event)
{
    // The close always goes ahead.
    event->accept();
    emit closed();
}

} // namespace qh::master
