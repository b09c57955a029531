#include "netservice/host_name.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

TEST(HostName, DottedAddressesHaveFourDecimalPartsNamesLettersDigitsDashesAndDots) {
    EXPECT_EQ(ParseDottedAddress("127.0.0.2"), 0x7F000002u);
    EXPECT_EQ(ParseDottedAddress("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseDottedAddress("0.0.0.0"), 0u);
    for (const char* text : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", "1..2.3",
                             "01234.1.1.1", "1.2.3.-4", "a.b.c.d", "1.2.3.4."}) {
        EXPECT_EQ(ParseDottedAddress(text), std::nullopt) << text;
    }
    std::string names;
    for (const char* name :
         {"localhost", "logon.velmora.cn", "line-2_b.example", "x", "3com.example", "", "bad host",
          "a/b", "主机.cn", ".lead", "trail.", "a..b", "-", "-lead.cn", "trail-.cn", "1.2.3",
          "256.1.2.3", "a:9005"}) {
        names += IsHostName(name) ? '+' : '-';
    }
    EXPECT_EQ(names, "+++++-------------");
    EXPECT_TRUE(IsHostName(std::string(63, 'h')));
    EXPECT_FALSE(IsHostName(std::string(64, 'h')));
}

}  // namespace
}  // namespace gatevane
