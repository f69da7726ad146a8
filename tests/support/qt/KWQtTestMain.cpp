#include "KWTestApplication.h"

#include <gtest/gtest.h>

// The main of every test program with windows: the application exists before the first test.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    KWTestApplication();
    return RUN_ALL_TESTS();
}
