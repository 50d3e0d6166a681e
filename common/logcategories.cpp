#include "common/logcategories.h"

namespace qh {

Q_LOGGING_CATEGORY(channelLog, "qh.channel", QtInfoMsg)
Q_LOGGING_CATEGORY(callsLog, "qh.calls", QtInfoMsg)
Q_LOGGING_CATEGORY(childLog, "qh.child", QtInfoMsg)

} // namespace qh
