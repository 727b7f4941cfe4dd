// A test program whose outcome the harness check knows in advance: one test
// passes, one skips itself, and a disabled one fails when it is asked to run.
#include <gtest/gtest.h>

TEST(Probe, Passes) { SUCCEED(); }
TEST(Probe, SkipsItself) { GTEST_SKIP() << "on purpose"; }
TEST(Probe, DISABLED_Fails) { FAIL() << "on purpose"; }
