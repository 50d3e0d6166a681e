#include "form3.h"

#include "twips.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>

namespace qh::master {

Form3::Form3(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form3"));
    // Sizable, with a close box but neither minimise nor maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Quillharbour_Master_Call"));
    resize(twips::sizeToPixels(3465, 930));

    m_List1 = new QListWidget(this);
    m_List1->setObjectName(QStringLiteral("List1"));
    m_List1->setSortingEnabled(false);
    // Every entry is one line of the same font: without this the list lays out all its entries
    // again at each call, which grows with the list.
    m_List1->setUniformItemSizes(true);
    twips::place(m_List1, 240, 120, 2175, 600);

    m_Command1 = new QPushButton(QStringLiteral("閉じる"), this);
    m_Command1->setObjectName(QStringLiteral("Command1"));
    twips::place(m_Command1, 2520, 120, 855, 255);

    connect(m_Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
}

void Form3::Command1_Click()
{
    close();
}

void Form3::closeEvent(QCloseEvent* event)
{
    // The close always goes ahead.
    event->accept();
    emit unloaded();
}

} // namespace qh::master
