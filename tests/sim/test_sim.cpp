// kelvo-sim as a program: its console.

#include "simclient.h"
#include "simframe.h"
#include "simprocess.h"

#include <gtest/gtest.h>

TEST(SimProgram, ConsoleDrivesInputsAlarmsSelectionAndFaults) {
    const QString address = QStringLiteral("127.0.136.1");
    SimProcess sim(address.toStdString(), {"--robots", "2"}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    SimClient client;
    ASSERT_TRUE(client.connectTo(6000, address));
    ASSERT_TRUE(client.nextOf(0x5003));

    struct Line {
        const char* command;
        bool ok;
        quint16 report;  // what the client is sent, 0 for nothing decodable
    };
    const Line lines[] = {
        {"din 3 1", true, 0x3606},    {"ain 2 -5", true, 0x360B}, {"alarm 2", true, 0x2B03},
        {"clear 2", true, 0x2003},    {"tool 1 3", true, 0x380C}, {"user 2 1", true, 0x3C0C},
        {"select 1 2", true, 0x5003}, {"din 129 1", false, 0},    {"din 1 2", false, 0},
        {"alarm x", false, 0},        {"select 0 3", false, 0},   {"garbage 40", true, 0},
        {"badcrc 2003 {}", true, 0},  {"split -1", false, 0},     {"nonsense", false, 0},
        {"reboot 700", true, 0},  // last: it drops the client
    };
    for (const Line& line : lines) {
        SCOPED_TRACE(line.command);
        EXPECT_EQ(sim.command(line.command), line.ok);
        if (line.report)
            EXPECT_TRUE(client.nextOf(line.report));
        else
            EXPECT_FALSE(client.next(200));
    }
}
