#pragma once

#include <QWidget>

namespace qh::tool {

// The settings window of the settings tool.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
};

} // namespace qh::tool
