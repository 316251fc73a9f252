#include <gtest/gtest.h>

#include "core/RuntimeString.h"

// Only the i686 runtime has the assembly wrapper; the check is in UnlockStringRegisters.S.
#if defined(__i386__) && !defined(_WIN64)

extern "C" int CheckUnlockPreservesRegisters(StringRecord* record, int withFloat);

TEST(RuntimeUnlockStringRegisters, ResultRegistersSurvive) {
    for (int withFloat : {0, 1}) {
        string kept("kept");
        StringRecord* shared = RuntimeLockString(kept.Record());
        EXPECT_EQ(CheckUnlockPreservesRegisters(shared, withFloat), 0) << "float " << withFloat;
        EXPECT_EQ(kept.Record()->refCount, 1);

        string freed("freed");  // the last reference: the release frees the record
        EXPECT_EQ(CheckUnlockPreservesRegisters(freed.Detach(), withFloat), 0) << "float " << withFloat;
        EXPECT_EQ(CheckUnlockPreservesRegisters(nullptr, withFloat), 0) << "float " << withFloat;
    }
}

#endif
