// Queries: the question each getter sends, and what it reads back from the answer.

#include "apitest.h"
#include "decimalcommalocale.h"

#include <algorithm>
#include <vector>

namespace {

constexpr double kUntouched = -7.5;

struct ArrayQuery {
    const char* what;
    void (*call)(double* out);
    uint16_t query;
    std::string queryPayload;
    uint16_t reply;
    std::string replyPayload;
    std::vector<double> expected;
};

const std::string k20Ints = "[1,0,1,1,0,0,0,1,1,1,0,1,0,1,0,1,1,1,1,1]";
const std::vector<double> kFirst16 = {1, 0, 1, 1, 0, 0, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1};
// Analog values written as reals, which the library reads as integers: fractions are cut.
const std::string k20Reals =
    "[0.50,1.250,-2.50,10.0,0.00000010,3.1250,0.0,7,-0.250,4.750,1e3,1.5e2,2.0,9.50,0.10,6.0,"
    "1.0,2.0,3.0,4.0]";
const std::vector<double> kFirst16Cut = {0, 1, -2, 10, 0, 3, 0, 7, 0, 4, 1000, 150, 2, 9, 0, 6};

const ArrayQuery kArrayQueries[] = {
    {"get_dout", get_dout, 0x3602, "", 0x3603, json(R"({"status":)" + k20Ints + "}"), kFirst16},
    {"get_din", get_din, 0x3605, "", 0x3606, json(R"({"status":)" + k20Ints + "}"), kFirst16},
    {"get_aout", get_aout, 0x3608, "", 0x3609, json(R"({"value":)" + k20Reals + "}"), kFirst16Cut},
    {"get_ain", get_ain, 0x360A, "", 0x360B, json(R"({"value":)" + k20Reals + "}"), kFirst16Cut},
    {"get_current_position",
     [](double* out) { get_current_position(out, 1); },
     0x2F07,
     json(R"({"coord":1,"robot":1})"),
     0x2F08,
     json(R"({"coord":1,"pos":[1.5,-2,3,4,5,6.25,7],"robot":1})"),
     {1.5, -2, 3, 4, 5, 6.25}},
    {"get_current_sync_position",
     get_current_sync_position,
     0x7012,
     json(R"({"coord":0,"robot":1})"),
     0x7013,
     json(R"({"coord":0,"posSync":[9,8,7,6,5,4],"robot":1})"),
     {9, 8, 7, 6, 5}},
};

struct ValueQuery {
    const char* what;
    int (*call)();
    uint16_t query;
    std::string queryPayload;
    uint16_t reply;
    std::string replyPayload;
    int expected;
};

const ValueQuery kValueQueries[] = {
    {"get_robot_running_state", get_robot_running_state, 0x3D02, json(R"({"robot":1})"), 0x3D03,
     json(R"({"robot":1,"status":2})"), 2},
    {"get_jogging_speed", get_jogging_speed, 0x2602, json(R"({"robot":1})"), 0x2603,
     json(R"({"robot":1,"speed":101})"), 101},
    {"get_current_coord", get_current_coord, 0x2202, json(R"({"robot":1})"), 0x2203,
     json(R"({"coord":200,"robot":1})"), 200},
    {"get_current_mode", get_current_mode, 0x2102, "", 0x2103, json(R"({"mode":2})"), 2},
};

void expectEveryGetterToReadItsAnswer(SimProcess& sim) {
    for (const ArrayQuery& q : kArrayQueries) {
        SCOPED_TRACE(q.what);
        ASSERT_TRUE(sim.reply(q.query, q.reply, q.replyPayload));
        std::vector<double> out(q.expected.size() + 4, kUntouched);
        q.call(out.data());
        expectNextFrame(sim, q.query, q.queryPayload);
        EXPECT_TRUE(std::equal(q.expected.begin(), q.expected.end(), out.begin()));
        EXPECT_TRUE(std::all_of(out.begin() + static_cast<long>(q.expected.size()), out.end(),
                                [](double v) { return v == kUntouched; }));
    }
    for (const ValueQuery& q : kValueQueries) {
        SCOPED_TRACE(q.what);
        ASSERT_TRUE(sim.reply(q.query, q.reply, q.replyPayload));
        EXPECT_EQ(q.call(), q.expected);
        expectNextFrame(sim, q.query, q.queryPayload);
    }
}

}  // namespace

TEST(Queries, EachGetterAsksItsQuestionAndReadsExactlyItsElements) {
    SimProcess sim("127.0.6.4");
    connectTo(sim, "127.0.6.4");
    expectEveryGetterToReadItsAnswer(sim);
}

TEST(Queries, UnderADecimalCommaLocaleEveryGetterReadsTheSameValues) {
    KELVO_DECIMAL_COMMA_LOCALE(locale);
    locale.useEverywhere();
    SimProcess sim("127.0.6.42");
    connectTo(sim, "127.0.6.42");
    expectEveryGetterToReadItsAnswer(sim);
}
