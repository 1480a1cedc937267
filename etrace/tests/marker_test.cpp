#include <gtest/gtest.h>

extern "C" void libetrace_is_present();

TEST(Etrace, MarkerLinks) { libetrace_is_present(); }
