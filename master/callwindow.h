#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;

namespace qh::master {

// The call window (objectName Form3): the calls from the children, numbered, oldest first.
class CallWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CallWindow(QWidget* parent = nullptr);

    QListWidget* callList() const { return m_callList; }
    QPushButton* closeButton() const { return m_closeButton; }

signals:
    // The window is closing, by "閉じる" or its close box; the owner resets the count and
    // discards the window.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QListWidget* m_callList = nullptr;
    QPushButton* m_closeButton = nullptr;
};

} // namespace qh::master
