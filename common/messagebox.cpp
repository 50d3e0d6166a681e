#include "common/messagebox.h"

#include <QMessageBox>

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

} // namespace qh
