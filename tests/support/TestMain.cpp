#include <gtest/gtest.h>

#include <csignal>

int main(int argc, char** argv) {
    // A peer that vanishes mid-write must show up as a failed write, not kill the run.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
