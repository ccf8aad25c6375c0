#include "toolkit/Exception.h"
#include "toolkit/SysUtils.h"

#include <gtest/gtest.h>

TEST(StrToInt, AcceptsDecimalAndHex)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"0", 0}, {"42", 42}, {"-1", -1}, {"+7", 7}, {"  12", 12}, {"$1F", 31}, {"0x10", 16},
        {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"$FFFFFFFF", -1},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(StrToInt(text), value) << text;
}

TEST(StrToInt, RefusesWhatIsNoNumberWithTheMessage)
{
    for (const char* text : {"", "abc", "12a", "1 ", "-", "2147483648", "99999999999"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Message(), std::string("'") + text + "' is not a valid integer value");
        }
    }
}
