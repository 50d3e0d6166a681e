#include "common/messagebox.h"

#include <QMessageBox>
#include <QPushButton>

namespace qh {

MessageBoxDisplay::MessageBoxDisplay() : m_previous(setMessageDisplay(this)) {}

MessageBoxDisplay::~MessageBoxDisplay()
{
    setMessageDisplay(m_previous);
}

void MessageBoxDisplay::display(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

int MessageBoxDisplay::ask(const QString& text, const QString& title, const QStringList& answers)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton);
    QList<QAbstractButton*> buttons;
    for (const QString& answer : answers)
        buttons.append(box.addButton(answer, QMessageBox::AcceptRole));
    if (!buttons.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
        box.setEscapeButton(buttons.back());
    }
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

} // namespace qh
