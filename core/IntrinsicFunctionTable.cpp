// The language's built-in global functions, in table order. Each area adds its rows at their place
// as it is built; the table will hold 219 rows.
#include <cstring>

#include "ClassDefinition.h"
#include "RuntimeDebug.h"
#include "host/IntrinsicTypes.h"

namespace {

ParameterEntry kPathParameter[] = {
    {"path", AsType(&kStringType), 0, 0, 0, 0},
};

}  // namespace

extern MethodEntry gIntrinsicFunctionRows[];
extern const int32_t gIntrinsicFunctionRowCount;
void CompleteIntrinsicFunctionRows();

MethodEntry gIntrinsicFunctionRows[] = {
    {"Runtime", nullptr, nullptr, 0, Function(RuntimeDebugInstance, "RuntimeDebugInstance"), {},
     kMethodPlain, 0, 0},
    {"DebugDumpObjects", nullptr, kPathParameter, 1,
     Function(debugDumpObjects, "debugDumpObjects"), {}, kMethodPlain, 0, 0},
};
const int32_t gIntrinsicFunctionRowCount =
    static_cast<int32_t>(sizeof gIntrinsicFunctionRows / sizeof gIntrinsicFunctionRows[0]);

namespace {

// Rows whose result is an object: the class definitions exist only once their definition
// functions have run, so the types are filled in when the table is loaded.
struct ClassTypedResult {
    const char* row;
    DefinitionFunction type;
};

const ClassTypedResult kClassTypedResults[] = {
    {"Runtime", Runtime},
};

}  // namespace

void CompleteIntrinsicFunctionRows() {
    for (const ClassTypedResult& result : kClassTypedResults)
        for (MethodEntry& row : gIntrinsicFunctionRows)
            if (std::strcmp(row.name, result.row) == 0) row.returnType = result.type()->AsType();
}
