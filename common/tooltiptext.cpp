#include "common/tooltiptext.h"

using namespace Qt::StringLiterals;

namespace qh {

QString toolTipText(const QString& text)
{
    if (!text.contains(u'<') && !text.contains(u'&'))
        return text;
    return u"<p style='white-space:pre'>"_s + text.toHtmlEscaped().replace(u'\n', u"<br>"_s) + u"</p>"_s;
}

} // namespace qh
