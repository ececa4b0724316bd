// The host's locale is the host's: the library, starting its own Qt, leaves it as it found it.

#include "apitest.h"
#include "decimalcommalocale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

std::string printed(double value) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

TEST(HostLocale, AHostThatNeverSetOneKeepsTheCLocaleWhateverItsEnvironmentSays) {
    KELVO_DECIMAL_COMMA_LOCALE(locale);
    setenv("LC_ALL", DecimalCommaLocale::kName, 1);
    SimProcess sim("127.0.6.44");
    connectTo(sim, "127.0.6.44");
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
    EXPECT_EQ(printed(2.5), "2.5");
}

TEST(HostLocale, AHostThatSetADecimalCommaLocaleKeepsIt) {
    KELVO_DECIMAL_COMMA_LOCALE(locale);
    setenv("LC_ALL", "C", 1);
    ASSERT_TRUE(std::setlocale(LC_ALL, DecimalCommaLocale::kName));
    SimProcess sim("127.0.6.45");
    connectTo(sim, "127.0.6.45");
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), DecimalCommaLocale::kName);
    EXPECT_EQ(printed(2.5), "2,5");
    set_aout(1, 2.5);
    expectNextFrame(sim, 0x3607, json(R"({"port":1,"value":2.50})"));
}
