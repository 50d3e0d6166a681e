#pragma once

#include <QByteArrayList>
#include <QString>

namespace qh::test {

// The slow name service (slownameservice.cpp) answers "<label><n>.qhslow" with 127.0.0.<n> after
// a delay, and finds no "<label>.qhfail"; every other name goes to the system's own service.

// Restarts this program with the slow name service preloaded, unless it already is. Call it first
// in main(), before anything looks a name up. Under AddressSanitizer the restart tells it not to
// insist on coming first in the list of libraries.
void preloadSlowNames(char** argv);

// The delay of every slow or failing name from now on.
void setSlowNameDelay(int milliseconds);

// Keeps the names the service is asked for, in order, from now until it is destroyed.
class NameLookupLog
{
public:
    NameLookupLog();
    ~NameLookupLog();
    NameLookupLog(const NameLookupLog&) = delete;
    NameLookupLog& operator=(const NameLookupLog&) = delete;

    // The names asked for since the last call.
    QByteArrayList take();

private:
    QString m_path;
    qsizetype m_read = 0;
};

// Gives slow names other addresses from now until it is destroyed: "name address" lines, an
// address of "-" for a name that is not found.
class SlowNameAddresses
{
public:
    SlowNameAddresses();
    ~SlowNameAddresses();
    SlowNameAddresses(const SlowNameAddresses&) = delete;
    SlowNameAddresses& operator=(const SlowNameAddresses&) = delete;

    bool set(const QByteArray& lines);

private:
    QString m_path;
};

} // namespace qh::test
