#include "form1.h"

#include "programinfo.h"

namespace qh::master {

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(kPresenterTitle);
}

} // namespace qh::master
