// The registration order of the built-in classes and the order of the global-function table are
// binding: compiled code and plug-ins reach both by position. The dump of both, with the link names
// they enter in the link table, is compared against the stored expectation (WiringOrder.txt).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/ClassDefinition.h"
#include "core/IntrinsicRegistry.h"
#include "core/LinkTable.h"
#include "host/RuntimeWiring.h"

namespace {

std::string Text(const char* text) { return text ? text : "-"; }

std::string WiringDump() {
    std::ostringstream out;
    const int32_t firstLink = RelocEntryCount();
    CreateControlClasses();
    for (int32_t i = 0; i < IntrinsicClassRegistrationCount(); ++i) {
        const ObjectDefinition* definition = IntrinsicClassRegistrationAt(i);
        out << "class " << definition->className.CString() << ' '
            << (definition->super ? definition->super->className.CString() : "-") << '\n';
    }
    for (int32_t i = 0; i < IntrinsicFunctionCount(); ++i) {
        const MethodEntry* row = IntrinsicFunctionAt(i);
        out << "function " << i << ' ' << row->name << ' ' << Text(row->function.linkName) << ' '
            << Text(row->setter.linkName) << ' ' << row->parameterCount << ' ' << row->kind << '\n';
    }
    for (int32_t i = firstLink; i < RelocEntryCount(); ++i)
        out << "link " << Text(RelocEntryAt(i)->name) << '\n';
    return out.str();
}

TEST(WiringOrder, ClassesAndGlobalFunctionsKeepTheirOrder) {
    std::ifstream stored(QV_WIRING_ORDER_FILE);
    ASSERT_TRUE(stored) << QV_WIRING_ORDER_FILE;
    std::stringstream expected;
    expected << stored.rdbuf();
    const std::string actual = WiringDump();
    // A changed order leaves its dump beside the test program for comparison.
    if (actual != expected.str()) std::ofstream("WiringOrder.actual.txt") << actual;
    EXPECT_EQ(actual, expected.str());
}

}  // namespace
