#include "common/messagebox.h"

#include <QMessageBox>
#include <QPushButton>

namespace qh {

MessageBoxDisplay::MessageBoxDisplay() : m_previous(setMessageDisplay(this)) {}

MessageBoxDisplay::~MessageBoxDisplay()
{
    setMessageDisplay(m_previous);
}

// Every box shows its text as plain text: messages name files and carry what pages say, which
// must never be rendered as markup.
void MessageBoxDisplay::display(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int MessageBoxDisplay::ask(const QString& text, const QString& title, const QStringList& answers)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton);
    box.setTextFormat(Qt::PlainText);
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

void MessageBoxDisplay::displayNotice(const QString& text, const QString& title)
{
    if (m_notice && m_notice->isVisible())
        return;
    m_notice = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setAttribute(Qt::WA_DeleteOnClose);
    m_notice->setWindowModality(Qt::NonModal);
    // Seen above a full-screen page, without taking the keyboard from the program's windows.
    m_notice->setWindowFlag(Qt::WindowStaysOnTopHint);
    m_notice->setAttribute(Qt::WA_ShowWithoutActivating);
    m_notice->show();
}

} // namespace qh
