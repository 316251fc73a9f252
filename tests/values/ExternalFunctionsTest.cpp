#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "values/ExternalFunctions.h"

namespace {

using Answer = int32_t (*)();

// Appended piece by piece: GCC 12 warns falsely about a chain of + over temporaries, depending
// on the length of the build folder's path.
std::string LibraryPath(const char* name) {
    std::string path = "Z:";
    path.append(QV_TEST_PLUGIN_DIR).append("/").append(name);
    return path;
}

void* Bind(const string& function, const string& library) {
    return LoadFunctionPointerFromLibrary(function.Record(), library.Record());
}

TEST(ExternalFunctions, EachLibraryLoadsOnceAndEachFunctionIsLookedUpOnce) {
    const string tick("GetTickCount"), kernel("kernel32");
    const int32_t loads = ExternalLibraryLoadCount(), lookups = ExternalFunctionLookupCount();
    EXPECT_TRUE(IsFunctionAvailable(tick.Record(), kernel.Record()));
    EXPECT_EQ(Bind(tick, kernel), reinterpret_cast<void*>(&GetTickCount));
    // Equal texts in other records, the library in other letters: the caches still answer.
    EXPECT_EQ(Bind(string("GetTickCount"), string("KERNEL32")), reinterpret_cast<void*>(&GetTickCount));
    EXPECT_EQ(ExternalLibraryLoadCount(), loads + 1);
    EXPECT_EQ(ExternalFunctionLookupCount(), lookups + 1);

    // A missing function is looked up once; exported names keep their case.
    const string missing("NoSuchFunctionAnywhere");
    EXPECT_FALSE(IsFunctionAvailable(missing.Record(), kernel.Record()));
    EXPECT_FALSE(IsFunctionAvailable(missing.Record(), kernel.Record()));
    EXPECT_EQ(Bind(string("gettickcount"), kernel), nullptr);
    EXPECT_EQ(ExternalFunctionLookupCount(), lookups + 3);

    // A library that cannot be loaded is tried once for all its functions.
    const string absent("qvabsentlibrary");
    EXPECT_FALSE(IsFunctionAvailable(tick.Record(), absent.Record()));
    EXPECT_FALSE(IsFunctionAvailable(missing.Record(), string("QVAbsentLibrary").Record()));
    EXPECT_EQ(ExternalLibraryLoadCount(), loads + 2);
    EXPECT_EQ(ExternalFunctionLookupCount(), lookups + 3);
}

TEST(ExternalFunctions, OrdinalsAndOneNameInTwoLibraries) {
    const string a(LibraryPath("ExternalA.dll").c_str()), b(LibraryPath("ExternalB.dll").c_str());
    void* answerA = Bind(string("Answer"), a);
    void* answerB = Bind(string("Answer"), b);
    ASSERT_NE(answerA, nullptr);
    ASSERT_NE(answerB, nullptr);
    EXPECT_NE(answerA, answerB);
    EXPECT_EQ(reinterpret_cast<Answer>(answerA)(), 1);
    EXPECT_EQ(reinterpret_cast<Answer>(answerB)(), 2);
    EXPECT_EQ(Bind(string("#12"), a), answerA);
    EXPECT_EQ(reinterpret_cast<Answer>(Bind(string("# 13"), b))(), 102);
    EXPECT_EQ(Bind(string("#"), a), nullptr) << "ordinal 0 is exported by none";
    EXPECT_EQ(Bind(string("#99"), a), nullptr);
}

}  // namespace
