#pragma once

#include "help/helpfile.h"

#include <QString>
#include <QTextBrowser>

namespace qh::help {

// The viewer's window: shows one help file, or says that it cannot be found.
class HelpWindow : public QTextBrowser
{
    Q_OBJECT
public:
    explicit HelpWindow(const QString& name, const QString& programFolder, QWidget* parent = nullptr);

    bool fileFound() const { return m_fileFound; }

private:
    bool m_fileFound = false;
};

} // namespace qh::help
