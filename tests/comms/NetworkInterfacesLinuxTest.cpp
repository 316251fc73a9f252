#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "TakenText.h"
#include "comms/NetworkInterfaces.h"
#include "comms/SocketCore.h"
#include "core/DefinitionConversion.h"

// The adapters as the runtime reports them through Wine's IP Helper, against the same adapters as
// Linux sees them (peers/linux_network.py, passed in QV_LINUX_NETWORK and QV_LINUX_DNS).

namespace {


std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) parts.push_back(part);
    return parts;
}

TEST(NetworkInterfacesAgainstLinux, EachLinuxAdapterIsListedWithItsOwnValues) {
    const char* adapters = std::getenv("QV_LINUX_NETWORK");
    const char* dns = std::getenv("QV_LINUX_DNS");
    if (!adapters || !dns) GTEST_SKIP() << "run through peers/with-linux-network.sh";
    const int32_t count = SystemGetNetworkInterfaceCount(nullptr);
    ASSERT_GE(count, 0);
    for (const std::string& line : Split(adapters, ';')) {
        const std::vector<std::string> linux = Split(line, ',');
        ASSERT_EQ(linux.size(), 5u) << line;
        int32_t found = -1;
        for (int32_t index = 0; index < count && found < 0; ++index) {
            ObjectHeader* object = GetNetworkInterfaceObject(nullptr, index);
            if (TakenText(SystemGetIPAddress(object)) == linux[2]) found = index;
            ReleaseObject(object);
        }
        ASSERT_GE(found, 0) << linux[0] << " " << linux[2] << " is not listed";
        ObjectHeader* object = GetNetworkInterfaceObject(nullptr, found);
        EXPECT_EQ(TakenText(SystemGetMACAddress(object)), linux[1]) << linux[0];
        EXPECT_EQ(TakenText(SystemGetSubnetMask(object)), linux[3]) << linux[0];
        EXPECT_EQ(TakenText(SystemGetRouterAddress(object)), linux[4]) << linux[0];
        EXPECT_EQ(TakenText(SystemGetPrimaryDNSAddress(object)), dns) << linux[0];
        const uint32_t broadcast =
            GetInterfaceIPAddress(found) | ~GetInterfaceSubnetMask(found);
        EXPECT_EQ(GetInterfaceBroadcastAddress(found), broadcast);
        EXPECT_NE(broadcast, 0xFFFFFFFFu) << linux[0];
        ReleaseObject(object);
    }
}

}  // namespace
