// A slow name service for the tests and benchmarks, preloaded into them (LD_PRELOAD; see
// slownames.h): it stands in front of the system's getaddrinfo() so that the programs' own code,
// unchanged, meets names that take as long as a name server across the network.
//
//   <label>.qhslow   answered after the delay with 127.0.0.<n>, n being the digits that end the
//                    first label ("c02.qhslow" is 127.0.0.2, a label without digits 127.0.0.1)
//   <label>.qhfail   not found, after the delay
//   a listed name    the address QH_SLOW_NAMES_FILE gives it, after the delay
//   anything else    the system's own answer, at once
//
// The environment is read at every lookup: QH_SLOW_NAMES_MS is the delay (50 ms when unset),
// QH_SLOW_NAMES_FILE names a file of "name address" lines that give a name another address ("-"
// for none), whatever its ending (a test can serve "xn--bcher-kva.jp" here), QH_SLOW_NAMES_LOG a file to which each
// lookup appends "start <name>" as it begins and "end <name>" as it answers, and QH_SLOW_NAMES_TOGETHER a count of slow
// or failing lookups that each one waits for (a second at most) before its delay begins: lookups that a program starts
// together then overlap also where the machine is too busy to start their threads within the delay, while lookups made
// one after another each wait out the second alone.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

using GetAddrInfo = int (*)(const char*, const char*, const addrinfo*, addrinfo**);

bool endsWith(const std::string& text, const char* suffix)
{
    const size_t length = std::strlen(suffix);
    return text.size() > length && text.compare(text.size() - length, length, suffix) == 0;
}

void note(const char* event, const char* name)
{
    const char* logName = std::getenv("QH_SLOW_NAMES_LOG");
    if (!logName || !*logName)
        return;
    const int fd = ::open(logName, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const std::string line = std::string(event) + ' ' + name + '\n';
    // One write of a short line with O_APPEND: lines of lookups on other threads do not mix.
    [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
}

// Waits until QH_SLOW_NAMES_TOGETHER lookups wait here, or a second has passed.
void waitForTheOthers()
{
    const char* text = std::getenv("QH_SLOW_NAMES_TOGETHER");
    const long together = text && *text ? std::strtol(text, nullptr, 10) : 0;
    if (together < 2)
        return;
    static std::mutex mutex;
    static std::condition_variable arrivedAll;
    static long waiting = 0;
    static long released = 0; // groups let go so far
    std::unique_lock lock(mutex);
    if (++waiting >= together) {
        waiting = 0;
        ++released;
        arrivedAll.notify_all();
        return;
    }
    const long group = released;
    if (!arrivedAll.wait_for(lock, std::chrono::seconds(1), [&] { return released != group; }))
        --waiting; // alone: it goes on without the others
}

void wait()
{
    waitForTheOthers();
    const char* text = std::getenv("QH_SLOW_NAMES_MS");
    const long milliseconds = text && *text ? std::strtol(text, nullptr, 10) : 50;
    timespec delay{milliseconds / 1000, (milliseconds % 1000) * 1000000};
    while (::nanosleep(&delay, &delay) != 0) {
    }
}

// The address from the file of QH_SLOW_NAMES_FILE: 1 found (in *address), 0 not listed, -1 listed
// as having none.
int listedAddress(const std::string& name, in_addr* address)
{
    const char* fileName = std::getenv("QH_SLOW_NAMES_FILE");
    if (!fileName || !*fileName)
        return 0;
    FILE* file = std::fopen(fileName, "re");
    if (!file)
        return 0;
    char listedName[256];
    char listedValue[64];
    int found = 0;
    while (found == 0 && std::fscanf(file, "%255s %63s", listedName, listedValue) == 2) {
        if (name == listedName)
            found = ::inet_pton(AF_INET, listedValue, address) == 1 ? 1 : -1;
    }
    std::fclose(file);
    return found;
}

// 127.0.0.<n> from the digits that end the first label; false when they make no such address.
bool derivedAddress(const std::string& name, in_addr* address)
{
    const std::string label = name.substr(0, name.find('.'));
    size_t digits = label.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(label[digits - 1])))
        --digits;
    const long last = digits < label.size() ? std::strtol(label.c_str() + digits, nullptr, 10) : 1;
    if (last < 1 || last > 254)
        return false;
    address->s_addr = htonl((127u << 24) | std::uint32_t(last));
    return true;
}

// One node, allocated as glibc allocates its own (the node and its address in one block), so that
// the system's freeaddrinfo() releases it.
addrinfo* makeNode(in_addr address, const char* service, const addrinfo* hints)
{
    auto* block = static_cast<char*>(std::calloc(1, sizeof(addrinfo) + sizeof(sockaddr_in)));
    if (!block)
        return nullptr;
    auto* node = reinterpret_cast<addrinfo*>(block);
    auto* socketAddress = reinterpret_cast<sockaddr_in*>(block + sizeof(addrinfo));
    socketAddress->sin_family = AF_INET;
    socketAddress->sin_addr = address;
    socketAddress->sin_port = htons(std::uint16_t(service ? std::strtol(service, nullptr, 10) : 0));
    node->ai_family = AF_INET;
    node->ai_socktype = hints ? hints->ai_socktype : 0;
    node->ai_protocol = hints ? hints->ai_protocol : 0;
    node->ai_addrlen = sizeof(sockaddr_in);
    node->ai_addr = reinterpret_cast<sockaddr*>(socketAddress);
    return node;
}

int lookUp(const char* node, const char* service, const addrinfo* hints, addrinfo** result, GetAddrInfo systemLookup)
{
    std::string name(node);
    for (char& c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const bool slow = endsWith(name, ".qhslow");
    in_addr address{};
    const int listed = listedAddress(name, &address);
    if (!slow && listed == 0 && !endsWith(name, ".qhfail"))
        return systemLookup(node, service, hints, result);
    wait();
    if (hints && hints->ai_family == AF_INET6)
        return EAI_NONAME;
    if (listed < 0 || (listed == 0 && (!slow || !derivedAddress(name, &address))))
        return EAI_NONAME;
    *result = makeNode(address, service, hints);
    return *result ? 0 : EAI_MEMORY;
}

} // namespace

extern "C" {

// Lets a program see that it runs with this service preloaded.
__attribute__((visibility("default"))) int qh_slow_name_service()
{
    return 1;
}

__attribute__((visibility("default"))) int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                                                       addrinfo** result)
{
    static const auto systemLookup = reinterpret_cast<GetAddrInfo>(::dlsym(RTLD_NEXT, "getaddrinfo"));
    if (!node)
        return systemLookup(node, service, hints, result);
    note("start", node);
    const int answer = lookUp(node, service, hints, result, systemLookup);
    note("end", node);
    return answer;
}

} // extern "C"
