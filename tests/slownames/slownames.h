#pragma once

#include <QByteArrayList>
#include <QString>

namespace qh::test {

// The slow name service (slownameservice.cpp) answers "<label><n>.qhslow" with 127.0.0.<n> after
// a delay, and finds no "<label>.qhfail"; every other name that SlowNameAddresses does not list
// goes to the system's own service.

// Restarts this program, with the same arguments, with the slow name service preloaded, unless it
// already is. Call it first in main() (or a test's initMain()), before anything looks a name up.
// Under AddressSanitizer the restart tells it not to insist on coming first in the list of libraries.
void preloadSlowNames();

// The delay of every slow or failing name from now on.
void setSlowNameDelay(int milliseconds);

// From now on each slow or failing lookup waits, a second at most, until `count` of them have
// started, then takes its delay: lookups started together are seen together on a busy machine too.
// 0 or 1: none waits.
void setSlowNamesTogether(int count);

// Lookups that the service was asked for.
struct NameLookups {
    QByteArrayList names; // in the order the lookups started
    // Lookups that ran together count as one round; a round begins with the first lookup and with
    // each lookup that starts after another has answered.
    int rounds = 0;
};

// Keeps the lookups the service is asked for, from now until it is destroyed.
class NameLookupLog
{
public:
    NameLookupLog();
    ~NameLookupLog();
    NameLookupLog(const NameLookupLog&) = delete;
    NameLookupLog& operator=(const NameLookupLog&) = delete;

    // The lookups asked for since the last call.
    NameLookups take();

private:
    QString m_path;
    qsizetype m_read = 0;
};

// Gives names other addresses from now until it is destroyed: "name address" lines, an address of
// "-" for a name that is not found. A listed name is answered so whatever its ending, after the delay.
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
