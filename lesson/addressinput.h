#pragma once

#include <QPlainTextEdit>

namespace qh::lesson {

// Where addresses are typed or pasted before "追加": one address a line, so that several pasted
// lines give several rows. Enter adds; Shift+Enter starts another line. Files dropped on it go
// to the window, which adds their links.
class AddressInput : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit AddressInput(QWidget* parent = nullptr);

signals:
    void submitted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qh::lesson
