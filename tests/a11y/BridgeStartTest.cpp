// The promises kept before the bridge touches a bus: when it may start at
// all, and that only unix: addresses are ever taken. Nothing here connects
// anywhere.

#include <gtest/gtest.h>

#include <ostream>

#include "toolkit/a11y/Bridge.hpp"
#include "toolkit/a11y/BusDiscovery.hpp"
#include "toolkit/a11y/PeerToPeer.hpp"

using namespace ui::a11y;

namespace {

struct AddressCase {
    const char* name;
    const char* address;
    bool accepted;
};

void PrintTo(const AddressCase& c, std::ostream* os) {
    *os << c.name;
}

class UnixAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(UnixAddressTest, OnlyUnixEntriesAreAccepted) {
    EXPECT_EQ(isUnixAddress(GetParam().address), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Discovery, UnixAddressTest,
    ::testing::Values(AddressCase{"Path", "unix:path=/run/user/1/at-spi/bus_0,guid=ab", true},
                      AddressCase{"Abstract", "unix:abstract=/tmp/dbus-x", true},
                      AddressCase{"TwoUnix", "unix:path=/a;unix:path=/b", true},
                      AddressCase{"Tcp", "tcp:host=localhost,port=4000", false},
                      AddressCase{"UnixThenTcp", "unix:path=/a;tcp:host=h,port=1", false},
                      AddressCase{"Disabled", "disabled:", false},
                      AddressCase{"Autolaunch", "autolaunch:", false},
                      AddressCase{"Empty", "", false},
                      AddressCase{"Malformed", "unix:path", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Discovery, TakesTheAccessibilityBusVariableFirstAndNothingThatIsNotUnix) {
    BusSources sources{"unix:path=/nonexistent/bus", "", "disabled:"};
    EXPECT_EQ(discoverBus(sources, std::chrono::milliseconds(1000)), "unix:path=/nonexistent/bus");
    sources.atSpiBusAddress = "tcp:host=localhost,port=4000";
    EXPECT_EQ(discoverBus(sources, std::chrono::milliseconds(1000)), std::nullopt);
}

TEST(BridgeStart, NeverWithNoAtBridgeNorWhereItsSocketWouldGoHome) {
    EXPECT_FALSE(bridgeAllowed("1", true, true));
    EXPECT_TRUE(bridgeAllowed("0", true, true));
    EXPECT_TRUE(bridgeAllowed(nullptr, false, true)) << "no socket is ever made";
    EXPECT_TRUE(bridgeAllowed(nullptr, true, false)) << "the socket stays in the runtime dir";
    EXPECT_FALSE(bridgeAllowed(nullptr, false, false)) << "the socket would go into ~/.cache";
}

// Without it the bridge would make its socket file for every client.
TEST(BridgeStart, TheBridgesClientHookIsFound) {
    EXPECT_TRUE(peerToPeerHookFound());
}

}  // namespace
