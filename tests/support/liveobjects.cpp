#include "tests/support/liveobjects.h"

#include <QtCore/private/qhooks_p.h>

#include <atomic>

namespace qh::test {

namespace {
std::atomic<qint64> liveObjects{0};
QHooks::AddQObjectCallback previousAdd = nullptr;
QHooks::RemoveQObjectCallback previousRemove = nullptr;

void objectAdded(QObject* object)
{
    ++liveObjects;
    if (previousAdd)
        previousAdd(object);
}

void objectRemoved(QObject* object)
{
    --liveObjects;
    if (previousRemove)
        previousRemove(object);
}
} // namespace

void startCountingObjects()
{
    if (qtHookData[QHooks::AddQObject] == reinterpret_cast<quintptr>(&objectAdded))
        return;
    previousAdd = reinterpret_cast<QHooks::AddQObjectCallback>(qtHookData[QHooks::AddQObject]);
    previousRemove = reinterpret_cast<QHooks::RemoveQObjectCallback>(qtHookData[QHooks::RemoveQObject]);
    qtHookData[QHooks::AddQObject] = reinterpret_cast<quintptr>(&objectAdded);
    qtHookData[QHooks::RemoveQObject] = reinterpret_cast<quintptr>(&objectRemoved);
}

qint64 liveObjectCount()
{
    return liveObjects;
}

} // namespace qh::test
