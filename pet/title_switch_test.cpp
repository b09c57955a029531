#include "pet/title_switch.h"

#include <gtest/gtest.h>

namespace ostrelpet {
namespace {

TEST(TitleSwitch, TakesTheRestOfTheFirstMatchingToken) {
    struct Case {
        const char* commandLine;
        const char* title;
    } cases[] = {
        {"/Title:GameHall", "GameHall"},
        {"-x /Title:Lobby -y", "Lobby"},
        {"/Title:Game Hall", "Game"},  // a space ends the title
        {"/Title:first /Title:second", "first"},
        {"/title:lower", ""},  // the switch is case-sensitive
        {"/Title", ""},        // too short to be the switch
        {"/Title:", ""},
        {"", ""},
        {"x/Title:inside", ""},                          // must begin the token
        {"a  /Title:afterTwoSpaces", "afterTwoSpaces"},  // an empty token between two spaces
        {"/Title:\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC", "\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC"},  // GBK
        {"\xB0 /Title:x", ""},  // a lead byte takes the next byte along, as CharNextA does
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseTitleSwitch(c.commandLine), c.title) << "command line: " << c.commandLine;
    }
}

}  // namespace
}  // namespace ostrelpet
