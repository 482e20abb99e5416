#include "library/common/CvNetInterface.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "platform/Trace.h"

namespace {

std::string dotted(const sockaddr* address) {
    char text[INET_ADDRSTRLEN] = {};
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
    if (!inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text)) return {};
    return text;
}

}  // namespace

int CvNetInterface::GetInterfaces(CvNetInterface (&list)[10]) {
    ifaddrs* all = nullptr;
    if (getifaddrs(&all) != 0) {
        qCDebug(vraTrace) << "getifaddrs failed";
        return 0;
    }
    int count = 0;
    for (const ifaddrs* entry = all; entry && count < 10; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        // Without a mask the subnet of an address is unknown, and a guess would match wrongly.
        if (!entry->ifa_netmask || !(entry->ifa_flags & IFF_UP)) continue;
        CvNetInterface record{dotted(entry->ifa_addr), dotted(entry->ifa_netmask)};
        if (record.Address.empty() || record.Mask.empty()) continue;
        list[count++] = std::move(record);
    }
    freeifaddrs(all);
    return count;
}
