#include <gtest/gtest.h>

#include <string>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/ClassDefinition.h"
#include "core/IntrinsicTypes.h"

namespace {

std::string Text(const string& s) { return std::string(BytesOf(s)); }

ObjectDefinition* NamedClass(const char* name) {
    static ObjectDefinition window;
    static ObjectDefinition graphics;
    static ObjectDefinition counter;
    ObjectDefinition* d = std::string(name) == "Window"     ? &window
                          : std::string(name) == "Graphics" ? &graphics
                                                            : &counter;
    if (d->className.IsEmpty()) d->className = string(name);
    return d;
}

MethodDefinition Method(const char* name, const TypeDescriptor* result, ParameterEntry* parameters,
                        int32_t count, int32_t kind = kMethodPlain) {
    MethodDefinition m;
    m.name = string(name);
    m.returnType = result;
    m.parameters = parameters;
    m.parameterCount = count;
    m.kind = kind;
    return m;
}

const TypeDescriptor* Integer() { return AsType(&kIntegerType); }

}  // namespace

TEST(TypeSignatures, TypeNamesAndCodes) {
    const ArrayType integers2{kTypeArray, Integer(), 2};
    const ArrayType strings1{kTypeArray, AsType(&kStringType), 1};
    struct Case {
        const TypeDescriptor* type;
        const char* name;
        const char* code;
    } cases[] = {
        {AsType(&kStringType), "String", "s"},   {Integer(), "Integer", "i4"},
        {AsType(&kUIntegerType), "UInteger", "u4"}, {AsType(&kBooleanType), "Boolean", "b"},
        {AsType(&kSingleType), "Single", "f4"},  {AsType(&kDoubleType), "Double", "f8"},
        {AsType(&kColorType), "Color", "c"},     {AsType(&kPtrType), "Ptr", "p"},
        {AsType(&kCStringType), "CString", "z"}, {AsType(&kPStringType), "PString", "l"},
        {AsType(&kWindowPtrType), "WindowPtr", "w"}, {AsType(&kClassType), "Class", "x"},
        {AsType(&integers2), "Integer()", "a2i4"}, {AsType(&strings1), "String()", "a1s"},
        {NamedClass("Window")->AsType(), "Window", "o<Window>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(c.type->TypeName()), c.name);
        EXPECT_EQ(Text(c.type->SignatureCode()), c.code) << c.name;
        EXPECT_EQ(c.type->SignatureCode().Encoding(), kEncodingASCII) << c.name;
    }
}

TEST(TypeSignatures, TypesWithoutCodeAreReported) {
    for (const IntrinsicType* type : {&kOSTypeType, &kShortType}) {
        FailureRecorder recorder;
        EXPECT_TRUE(AsType(type)->SignatureCode().IsEmpty());
        ASSERT_EQ(recorder.Count(), 1u);
        EXPECT_EQ(recorder.Last().condition, "0");
        EXPECT_EQ(recorder.Last().file, "objects");
    }
    const ArrayType broken{kTypeArray, nullptr, 1};
    FailureRecorder recorder;
    EXPECT_EQ(Text(AsType(&broken)->TypeName()), "()");
    EXPECT_EQ(recorder.Last().condition, "atype->elementType");
}

TEST(TypeSignatures, DeclarationText) {
    string abc("abc");
    ParameterEntry xy[] = {{"X", Integer(), 0, 0, 0, 0}, {"Y", Integer(), 0, 0, 0, 0}};
    ParameterEntry defaults[] = {
        {"s", AsType(&kStringType), 0, 1, reinterpret_cast<uintptr_t>(abc.Record()), 0},
        {"c", AsType(&kColorType), 0, 1, 255, 0},
        {"b", AsType(&kBooleanType), 0, 1, 1, 0},
        {"f", AsType(&kBooleanType), 0, 1, 0, 0},
        {"w", NamedClass("Window")->AsType(), 0, 1, 0, 0},
        {"n", Integer(), 0, 1, static_cast<uintptr_t>(-5), 0},
    };
    const ArrayType integers{kTypeArray, Integer(), 1};
    ParameterEntry modifiers[] = {{"values", AsType(&integers), 1, 0, 0, 1}};

    struct Case {
        MethodDefinition method;
        const char* text;
    } cases[] = {
        {Method("DrawLine", nullptr, xy, 2), "X As Integer, Y As Integer"},
        {Method("M", nullptr, xy, 2, kMethodExtendsAssigns), "Extends X As Integer, Assigns Y As Integer"},
        {Method("M", nullptr, xy, 2, kMethodExtends), "Extends X As Integer, Y As Integer"},
        {Method("M", nullptr, xy, 1, kMethodAssigns), "Assigns X As Integer"},
        {Method("M", nullptr, defaults, 6),
         "s As String=\"abc\", c As Color=&h000000FF, b As Boolean=True, f As Boolean=False, "
         "w As Window=Nil, n As Integer=-5"},
        {Method("M", nullptr, modifiers, 1), "ParamArray ByRef values() As Integer"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(c.method.DeclarationText()), c.text);

    // Without parameter rows a text already held is kept.
    MethodDefinition held = Method("M", nullptr, nullptr, 0);
    held.declaration = string("a As Integer");
    EXPECT_EQ(Text(held.DeclarationText()), "a As Integer");
}

TEST(TypeSignatures, LinkSignatures) {
    ParameterEntry four[] = {{"x1", Integer(), 0, 0, 0, 0},
                             {"y1", Integer(), 0, 0, 0, 0},
                             {"x2", Integer(), 0, 0, 0, 0},
                             {"y2", Integer(), 0, 0, 0, 0}};
    ParameterEntry byRef[] = {{"s", AsType(&kStringType), 1, 0, 0, 0}};

    MethodDefinition drawLine = Method("DrawLine", nullptr, four, 4);
    EXPECT_EQ(Text(drawLine.Signature(NamedClass("Graphics"), false)), "DrawLine%%o<Graphics>i4i4i4i4");

    MethodDefinition value = Method("Value", Integer(), nullptr, 0);
    EXPECT_EQ(Text(value.Signature(NamedClass("Counter"), false)), "Value%i4%o<Counter>");
    EXPECT_EQ(Text(value.Signature(NamedClass("Counter"), true)), "=Value%%o<Counter>i4");

    MethodDefinition global = Method("Trim", AsType(&kStringType), byRef, 1);
    EXPECT_EQ(Text(global.Signature(nullptr, false)), "Trim%s%&s");

    global.alias = string("TrimAlias");
    EXPECT_EQ(Text(global.Signature(nullptr, false)), "TrimAlias%s%&s");
}

TEST(TypeSignatures, ParameterWithoutTypeIsReported) {
    ParameterEntry untyped[] = {{"x", nullptr, 0, 0, 0, 0}, {"y", Integer(), 0, 0, 0, 0}};
    MethodDefinition m = Method("Move", nullptr, untyped, 2);
    FailureRecorder recorder;
    EXPECT_EQ(Text(m.Signature(nullptr, false)), "Move%%i4");
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().condition, "param->parameterType");
    EXPECT_EQ(recorder.Last().message, "Move has a null parameter type ptr");
}
