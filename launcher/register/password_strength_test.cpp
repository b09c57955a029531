#include "launcher/register/password_strength.h"

#include <gtest/gtest.h>

namespace gatevane {
namespace {

TEST(CheckPasswordStrength, RefusesSimpleDigitRunsOnly) {
    for (const char* password :
         {"", "666666", "1", "123456", "654321", "121212", "1232101", "98", "5820731"}) {
        EXPECT_FALSE(CheckPasswordStrength(password)) << password;
    }
    for (const char* password : {"666666a", "a123456", "12345A6", "121213", "135790", "1234568",
                                 "!@#$%", "12 34", "玩家123", "58207312", "582073"}) {
        EXPECT_TRUE(CheckPasswordStrength(password)) << password;
    }
}

}  // namespace
}  // namespace gatevane
