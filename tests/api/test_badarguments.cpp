// Null pointers and values that are not finite: nothing is sent, nothing crashes.

#include "apitest.h"

#include <cmath>
#include <functional>
#include <limits>

namespace {

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kGood[6] = {1, 2, 3, 4, 5, 6};
const double kNanAt5[6] = {1, 2, 3, 4, 5, kNan};
const double kInfAt0[6] = {-kInf, 2, 3, 4, 5, 6};

struct Refused {
    const char* what;
    std::function<void()> call;
    const char* logLine;  // "kelvo.api: " logLine ", nothing sent"; null: the call logs nothing
};

const Refused kRefused[] = {
    {"null arrays and texts",
     [] {
         for (auto get : {get_dout, get_din, get_aout, get_ain, get_current_sync_position})
             get(nullptr);
         get_current_position(nullptr, 0);
         show_log(nullptr);
         const LogText t{nullptr};
         show_log(&t);
     },
     nullptr},
    {"robot_movj null", [] { robot_movj(nullptr, 1, 0); }, "robot_movj: no target given"},
    {"robot_movc null p2", [] { robot_movc(kGood, nullptr, kGood, 1, 0); },
     "robot_movc: no target given"},
    {"robot_movj NaN", [] { robot_movj(kNanAt5, 1, 0); }, "robot_movj: target not finite"},
    {"robot_movl -inf", [] { robot_movl(kInfAt0, 1, 0); }, "robot_movl: target not finite"},
    {"robot_movc NaN p3", [] { robot_movc(kGood, kGood, kNanAt5, 1, 0); },
     "robot_movc: target not finite"},
    {"robot_movca inf p1", [] { robot_movca(kInfAt0, kGood, kGood, 1, 0); },
     "robot_movca: target not finite"},
    {"set_aout NaN", [] { set_aout(1, kNan); }, "set_aout: value not finite"},
    {"set_aout inf", [] { set_aout(1, kInf); }, "set_aout: value not finite"},
};

}  // namespace

TEST(BadArguments, NullPointersAndNonFiniteValuesSendNothingAndLogOnce) {
    SimProcess sim("127.0.6.9");
    connectTo(sim, "127.0.6.9");
    for (const Refused& refused : kRefused) {
        StderrCapture log;
        refused.call();
        expectNothingSent(sim, refused.what);
        if (refused.logLine) {
            EXPECT_EQ(log.count("kelvo.api: " + std::string(refused.logLine) + ", nothing sent"), 1)
                << refused.what;
        }
        EXPECT_EQ(log.countContaining("kelvo.api:") + log.countContaining("kelvo.log:"),
                  refused.logLine ? 1 : 0)
            << refused.what;
    }

    StderrCapture log;
    const LogText text{"ready \xE2\x9C\x93 \"quoted\""};
    show_log(&text);
    EXPECT_EQ(log.count("kelvo.log: \"ready \xE2\x9C\x93 \\\"quoted\\\"\""), 1);
}
