#include "windowplatform.h"

namespace qh {

QByteArray stayOnTopPlatform(const QProcessEnvironment& environment)
{
    const auto isSet = [&environment](const QString& name) { return !environment.value(name).isEmpty(); };
    if (isSet(QStringLiteral("QT_QPA_PLATFORM")) || !isSet(QStringLiteral("WAYLAND_DISPLAY")) ||
        !isSet(QStringLiteral("DISPLAY")))
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
