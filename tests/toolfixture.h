#pragma once

#include "form1.h"
#include "modelist.h"
#include "testutil.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

namespace qh::test {

// A temporary folder made the current working directory for as long as it lives, since both the
// settings window and the save work on bare file names.
class WorkingFolder
{
public:
    WorkingFolder() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~WorkingFolder() { QDir::setCurrent(m_previous); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// The settings window as the program opens it; it deletes itself when it is closed, so the test
// only deletes one that is still open.
class OpenWindow
{
public:
    OpenWindow() : m_form(new tool::Form1) {}
    ~OpenWindow() { delete m_form.data(); }
    OpenWindow(const OpenWindow&) = delete;
    OpenWindow& operator=(const OpenWindow&) = delete;

    tool::Form1* operator->() const { return m_form.data(); }
    tool::Form1* get() const { return m_form.data(); }
    bool isOpen() const { return !m_form.isNull(); }

    template <typename Widget> Widget* control(const QString& name) const { return m_form->findChild<Widget*>(name); }

    // The value a control shows: a text box's text, a check box's tick, a list's selected index.
    QVariant value(const QString& name) const
    {
        if (auto* text = control<QLineEdit>(name))
            return text->text();
        if (auto* check = control<QCheckBox>(name))
            return check->isChecked();
        if (auto* list = control<tool::ModeList>(name))
            return list->modeIndex();
        return {};
    }

private:
    QPointer<tool::Form1> m_form;
};

inline QByteArray exampleBytes()
{
    return readAll(dataPath(u"example.ini"_qs));
}

} // namespace qh::test
