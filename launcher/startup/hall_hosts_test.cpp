#include "launcher/startup/hall_hosts.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

TEST(HallHosts, TakesNamesAddressesAndPortsAndRefusesWhatWouldBendTheAddress) {
    for (const char* host : {"ad.velmora.cn", "127.0.0.1", "127.0.0.1:8080", "localhost:1",
                             "staging-2.example:65535"}) {
        EXPECT_TRUE(IsUsableHost(host)) << host;
    }
    for (const char* host :
         {"", ":80", "host:", "host:0", "host:65536", "host:8o", "a b", "evil.example/x",
          "user@host", "host:80:81", "[::1]", "host?x", "\xb5\xc7.cn"}) {
        EXPECT_FALSE(IsUsableHost(host)) << host;
    }
    EXPECT_TRUE(IsUsableHost(std::string(63, 'a')));
    EXPECT_FALSE(IsUsableHost(std::string(64, 'a')));
}

TEST(HallHosts, AddressesArePlainHttpWithTheFixedPath) {
    EXPECT_EQ(SiteAddress("bbs.velmora.cn", "/connect.php?mod=login"),
              "http://bbs.velmora.cn/connect.php?mod=login");
    EXPECT_EQ(SiteAddress("127.0.0.1:8080"), "http://127.0.0.1:8080");
}

}  // namespace
}  // namespace gatevane
