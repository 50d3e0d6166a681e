#include "tests/support/toolfixture.h"

#include "common/aboutbox.h"
#include "common/settingsfile.h"
#include "tool/modelist.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace qh::test {

namespace {
// A session that cannot set its folder up ends the test program at once: a test that went on
// would fail later for another reason, or pass for the wrong one.
bool writeSetupFile(const WorkingFolder& folder, const QString& name, const QByteArray& bytes)
{
    if (!folder.isValid() || !folder.write(name, bytes))
        qFatal("The settings tool's session cannot write %s", qPrintable(folder.path(name)));
    return true;
}
} // namespace

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
    : m_written(settings.isNull() || writeSetupFile(folder, kSettingsFileName, settings))
{}

} // namespace qh::test
