#include "form1.h"

#include "programinfo.h"

namespace qh::tool {

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(kToolTitle);
}

} // namespace qh::tool
