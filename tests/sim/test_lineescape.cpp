// The console's payload escaping: every byte survives the round trip on one line.

#include "lineescape.h"

#include <gtest/gtest.h>

using kelvo::sim::escapeLine;
using kelvo::sim::unescapeLine;

TEST(LineEscape, EveryByteRoundTripsOnOneLineAndMalformedEscapesAreRefused) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const QByteArray text = escapeLine(all);
    EXPECT_FALSE(text.contains('\n'));
    EXPECT_FALSE(text.contains('\r'));
    EXPECT_EQ(unescapeLine(text), all);

    EXPECT_EQ(escapeLine("{\"a\":1}\n"), QByteArray("{\"a\":1}\\n"));
    EXPECT_EQ(unescapeLine("caf\xC3\xA9"), QByteArray("caf\xC3\xA9"));
    for (const char* bad : {"\\", "\\q", "\\x4", "\\xZZ", "\\x 1"}) {
        EXPECT_FALSE(unescapeLine(bad).has_value()) << bad;
    }
}
