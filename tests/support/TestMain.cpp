#include <gtest/gtest.h>

#include "FailureRecorder.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "host/RuntimeWiring.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Death tests start a fresh copy of this program; running each child from the top keeps the
    // runtime's globals as they are in a real start.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The runtime's own start-up hands the ground floors their tables and hooks first.
    InstallRuntimeWiring();
    InitAllocatorLock();
    InitStringLock();
    InstallUnexpectedFailureResponder();
    return RUN_ALL_TESTS();
}
