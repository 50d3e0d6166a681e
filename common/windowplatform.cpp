#include "common/windowplatform.h"

using namespace Qt::StringLiterals;

namespace qh {

QByteArray stayOnTopPlatform(const QProcessEnvironment& environment)
{
    const auto isSet = [&environment](const QString& name) { return !environment.value(name).isEmpty(); };
    if (isSet(u"QT_QPA_PLATFORM"_s) || !isSet(u"WAYLAND_DISPLAY"_s) || !isSet(u"DISPLAY"_s))
        return {};
    return QByteArrayLiteral("xcb");
}

void chooseStayOnTopPlatform()
{
    const QByteArray platform = stayOnTopPlatform(QProcessEnvironment::systemEnvironment());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

} // namespace qh
