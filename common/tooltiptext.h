#pragma once

#include <QString>

namespace qh {

// A tooltip's text for what may come from a page or a file (a title, an address, a file name).
// Tooltips take a text for markup when it looks like some, so a title "<b>x</b>" would be rendered
// bold, or a picture loaded: a text with neither "<" nor "&" is given as it is, any other as an
// escaped paragraph that shows exactly its characters, its line breaks and blanks included.
QString toolTipText(const QString& text);

} // namespace qh
