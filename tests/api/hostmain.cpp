// A host program as a customer writes one: no Qt, only kelvo.h. Runs the tests, or with
// --host-session ADDRESS one short session that ends by returning from main.

#include "kelvo.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

namespace {

int runHostSession(const char* address) {
    if (!connect_robot(address))
        return 3;
    double outputs[16] = {};
    get_dout(outputs);
    const LogText text{"session done"};
    show_log(&text);
    return outputs[0] == 1 ? 0 : 4;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--host-session") == 0)
        return runHostSession(argv[2]);
    // A simulator that died must fail the test that writes to it, not end the whole host.
    std::signal(SIGPIPE, SIG_IGN);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
