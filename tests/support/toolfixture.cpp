#include "tests/support/toolfixture.h"

#include "common/aboutbox.h"
#include "common/settingsfile.h"
#include "tool/modelist.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace qh::test {

OpenWindow::OpenWindow() : m_window(new tool::SettingsWindow) {}

OpenWindow::~OpenWindow()
{
    delete m_window.data();
}

QVariant OpenWindow::value(const QString& name) const
{
    if (auto* text = control<QLineEdit>(name))
        return text->text();
    if (auto* check = control<QCheckBox>(name))
        return check->isChecked();
    if (auto* list = control<tool::ModeList>(name))
        return list->modeIndex();
    return {};
}

QList<AboutBox*> shownAboutBoxes()
{
    QList<AboutBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<AboutBox*>(widget); box && box->isVisible())
            boxes.append(box);
    }
    return boxes;
}

QByteArray exampleBytes()
{
    return readAll(dataPath(u"example.ini"_s));
}

ToolSession::ToolSession(const QByteArray& settings)
    : m_written(settings.isNull() || folder.write(kSettingsFileName, settings))
{}

} // namespace qh::test
