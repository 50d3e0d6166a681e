#pragma once

#include <QWidget>

namespace qh::master {

// The presenter's main bar.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
};

} // namespace qh::master
