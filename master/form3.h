#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;

namespace qh::master {

// The call window: the calls from the children, numbered, oldest first.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    explicit Form3(QWidget* parent = nullptr);

    QListWidget* List1() const { return m_List1; }

    // "閉じる": closes the window as its close box does.
    void Command1_Click();

signals:
    // Form_Unload: the window is closing; the owner resets the count and discards the window.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QListWidget* m_List1 = nullptr;
    QPushButton* m_Command1 = nullptr;
};

} // namespace qh::master
