#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FailureRecorder.h"
#include "core/ClassDefinition.h"
#include "core/IntrinsicRegistry.h"
#include "host/Application.h"
#include "host/PluginDeclaration.h"
#include "host/PluginServices.h"
#include "core/EncodingConversion.h"
#include "values/Variant.h"

namespace {

constexpr int32_t kWidth = kObjectHeaderSize;
constexpr int32_t kRatio = kWidth + 4;
constexpr int32_t kScale = kRatio + 8;
constexpr int32_t kName = kScale + 4;
constexpr int32_t kFlag = kName + 4;
constexpr int32_t kPeer = kFlag + 4;
constexpr int32_t kThingSize = kPeer + 4;

int sComputedCalls = 0;
int32_t Computed(ObjectHeader*, int32_t parameter) {
    ++sComputedCalls;
    return parameter;
}
void Resize(ObjectHeader*, int32_t, int32_t*) {}
int32_t Area(ObjectHeader*) { return 6; }
int32_t Narrow(ObjectHeader*) { return 0; }

void* Plain() { return reinterpret_cast<void*>(kPlainFieldAccessor); }

// A class as compiled code builds it: plain fields, a property with its own getter, and methods
// whose signatures name the owner first.
ClassRecord* ThingClass(const char* name) {
    ClassRecord* record = RuntimeNewClass(nullptr, 0, 0, 0, 3, 7);
    record->name = string(name).Detach();
    record->instanceSize = kThingSize;
    const struct {
        const char* descriptor;
        int32_t parameter;
        void* getter;
        void* setter;
    } properties[] = {
        {"Width%i4%", kWidth, Plain(), Plain()},
        {"Ratio%f8%", kRatio, Plain(), Plain()},
        {"Scale%f4%", kScale, Plain(), Plain()},
        {"Name%s%", kName, Plain(), Plain()},
        {"Flag%b%", kFlag, Plain(), Plain()},
        {"Peer%o<Thing>%", kPeer, Plain(), Plain()},
        {"Computed%i4%", 17, reinterpret_cast<void*>(&Computed), nullptr},
    };
    for (int32_t i = 0; i < 7; ++i) {
        std::string descriptor = properties[i].descriptor;
        if (i == 5) descriptor = std::string("Peer%o<") + name + ">%";
        record->properties[i] = PropertySlot{string(descriptor.c_str()).Detach(), properties[i].parameter,
                                             properties[i].getter, properties[i].setter};
    }
    const std::string prefix = std::string(name) + ".";
    record->accessors[0] = AccessorSlot{reinterpret_cast<void*>(&Resize),
                                        string((prefix + "Resize%%o<" + name + ">i4&i4").c_str()).Detach()};
    record->accessors[1] = AccessorSlot{reinterpret_cast<void*>(&Area),
                                        string((prefix + "Area%i4%o<" + name + ">").c_str()).Detach()};
    record->accessors[2] = AccessorSlot{reinterpret_cast<void*>(&Narrow),
                                        string((prefix + "Narrow%i2%o<" + name + ">").c_str()).Detach()};
    return record;
}

class PluginServices : public testing::Test {
protected:
    void SetUp() override {
        static const bool registered = (CreateApplicationClass(), true);
        (void)registered;
        mClass = ThingClass("Thing");
        mThing = RuntimeNewObject(mClass);
    }
    void TearDown() override { RuntimeUnlockObject(mThing); }

    template <typename T>
    T& Field(int32_t offset) {
        return *FieldAt<T>(mThing, offset);
    }

    ClassRecord* mClass = nullptr;
    ObjectHeader* mThing = nullptr;
};

TEST_F(PluginServices, NumbersConvertByThePropertyType) {
    Field<double>(kRatio) = 2.9;
    int32_t integer = 0;
    ASSERT_TRUE(QUORGetPropValueInt(mThing, "ratio", &integer));
    EXPECT_EQ(integer, 2);
    Field<double>(kRatio) = -2.9;
    ASSERT_TRUE(QUORGetPropValueInt(mThing, "Ratio", &integer));
    EXPECT_EQ(integer, -2);
    // Out of range, as every conversion of the runtime: the integer-indefinite value.
    Field<double>(kRatio) = 3e9;
    ASSERT_TRUE(QUORGetPropValueInt(mThing, "Ratio", &integer));
    EXPECT_EQ(integer, INT32_MIN);

    ASSERT_TRUE(QUORSetPropValueDouble(mThing, "Width", 3.99));
    EXPECT_EQ(Field<int32_t>(kWidth), 3);
    ASSERT_TRUE(QUORSetPropValueDouble(mThing, "Width", -1e12));
    EXPECT_EQ(Field<int32_t>(kWidth), INT32_MIN);
    ASSERT_TRUE(QUORSetPropValueInt(mThing, "Scale", 5));
    EXPECT_EQ(Field<float>(kScale), 5.0f);
    double real = 0;
    ASSERT_TRUE(QUORGetPropValueDouble(mThing, "Scale", &real));
    EXPECT_EQ(real, 5.0);

    // A Double is written and read whole, all eight bytes.
    const double whole = 1234567.890625;
    ASSERT_TRUE(QUORSetPropValueDouble(mThing, "Ratio", whole));
    EXPECT_EQ(Field<double>(kRatio), whole);
    ASSERT_TRUE(QUORGetPropValueDouble(mThing, "Ratio", &real));
    EXPECT_EQ(real, whole);
}

TEST_F(PluginServices, MismatchedTypesFailWithoutCallingTheAccessor) {
    StringRecord* text = nullptr;
    uint8_t flag = 0;
    ObjectHeader* object = nullptr;
    int32_t integer = 0;
    EXPECT_FALSE(QUORGetPropValueString(mThing, "Computed", &text));
    EXPECT_FALSE(QUORGetPropValueBool(mThing, "Computed", &flag));
    EXPECT_FALSE(QUORGetPropValueObject(mThing, "Computed", &object));
    EXPECT_EQ(sComputedCalls, 0);
    ASSERT_TRUE(QUORGetPropValueInt(mThing, "Computed", &integer));
    EXPECT_EQ(integer, 17) << "the getter receives the property's parameter";
    EXPECT_EQ(sComputedCalls, 1);
    EXPECT_FALSE(QUORSetPropValueInt(mThing, "Computed", 4)) << "no setter";
    EXPECT_FALSE(QUORGetPropValueInt(mThing, "Name", &integer));
    EXPECT_FALSE(QUORSetPropValueString(mThing, "Width", nullptr));
    EXPECT_FALSE(QUORGetPropValueInt(mThing, "Width", nullptr));
    EXPECT_FALSE(QUORGetPropValueInt(nullptr, "Width", &integer));
    EXPECT_FALSE(QUORGetPropValueInt(mThing, nullptr, &integer));

    ASSERT_TRUE(QUORSetPropValueString(mThing, "Name", string("label").Record()));
    ASSERT_TRUE(QUORGetPropValueString(mThing, "NAME", &text));
    EXPECT_STREQ(StringRecord::CString(text), "label");
    StringRecord::Release(text);
    ASSERT_TRUE(QUORSetPropValueBoolean(mThing, "Flag", 1));
    ASSERT_TRUE(QUORGetPropValueBool(mThing, "Flag", &flag));
    EXPECT_EQ(flag, 1);
}

TEST_F(PluginServices, MissingPropertiesAreWalkedOnce) {
    int32_t integer = 0;
    const int32_t before = PropertyCacheWalkCount();
    EXPECT_FALSE(QUORGetPropValueInt(mThing, "Missing", &integer));
    EXPECT_FALSE(QUORGetPropValueInt(mThing, "missing", &integer));
    EXPECT_FALSE(QUORSetPropValueInt(mThing, "Missing", 1));
    EXPECT_EQ(PropertyCacheWalkCount(), before + 1);
    ASSERT_TRUE(QUORGetPropValueInt(mThing, "Width", &integer));
    ASSERT_TRUE(QUORGetPropValueInt(mThing, "Width", &integer));
    EXPECT_EQ(PropertyCacheWalkCount(), before + 2);
}

TEST_F(PluginServices, ObjectPropertiesCheckTheClass) {
    ClassRecord* subclass = RuntimeNewClass(mClass, 0, 0, 0, mClass->accessorCount, mClass->propertyCount);
    subclass->name = string("SubThing").Detach();
    subclass->instanceSize = kThingSize;
    ObjectHeader* sub = RuntimeNewObject(subclass);
    ObjectHeader* unrelated = RuntimeNewObject(ThingClass("Other"));
    EXPECT_TRUE(QUORSetPropValueObject(mThing, "Peer", sub));
    EXPECT_EQ(Field<ObjectHeader*>(kPeer), sub);
    EXPECT_FALSE(QUORSetPropValueObject(mThing, "Peer", unrelated));
    EXPECT_EQ(Field<ObjectHeader*>(kPeer), sub);
    ObjectHeader* read = nullptr;
    ASSERT_TRUE(QUORGetPropValueObject(mThing, "Peer", &read));
    EXPECT_EQ(read, sub);
    RuntimeUnlockObject(read);
    EXPECT_TRUE(QUORSetPropValueObject(mThing, "Peer", nullptr));
    EXPECT_EQ(Field<ObjectHeader*>(kPeer), nullptr);

    // "Value" answers the object itself, with one more reference.
    const int32_t references = unrelated->refCount;
    ASSERT_TRUE(QUORGetPropValueObject(unrelated, "Value", &read));
    EXPECT_EQ(read, unrelated);
    EXPECT_EQ(unrelated->refCount, references + 1);
    RuntimeUnlockObject(read);
    RuntimeUnlockObject(unrelated);
    RuntimeUnlockObject(sub);
}

// Without a property of the name, a value converts itself as a Variant would; "Type" answers its
// kind, and every other name fails.
TEST_F(PluginServices, ValuesWithoutThePropertyConvertThemselves) {
    ObjectHeader* number = intToVariant(42);
    ObjectHeader* text = stringToVariant(string("2.5").Record());
    ObjectHeader* flag = booleanToVariant(1);
    int32_t integer = 0;
    double real = 0;
    StringRecord* record = nullptr;
    uint8_t boolean = 0;
    ObjectHeader* object = nullptr;

    ASSERT_TRUE(QUORGetPropValueInt(number, "Value", &integer));
    EXPECT_EQ(integer, 42);
    ASSERT_TRUE(QUORGetPropValueInt(number, "integervalue", &integer));
    EXPECT_EQ(integer, 42);
    ASSERT_TRUE(QUORGetPropValueDouble(text, "DoubleValue", &real));
    EXPECT_EQ(real, 2.5);
    ASSERT_TRUE(QUORGetPropValueString(number, "StringValue", &record));
    EXPECT_STREQ(StringRecord::CString(record), "42");
    StringRecord::Release(record);
    ASSERT_TRUE(QUORGetPropValueBool(flag, "BooleanValue", &boolean));
    EXPECT_EQ(boolean, 1);
    ASSERT_TRUE(QUORGetPropValueInt(number, "Type", &integer));
    EXPECT_EQ(integer, kVariantInteger);
    ASSERT_TRUE(QUORGetPropValueInt(mThing, "Type", &integer)) << "an object that does not convert has a kind";
    EXPECT_EQ(integer, kVariantObject);

    EXPECT_FALSE(QUORGetPropValueInt(mThing, "Value", &integer));
    EXPECT_FALSE(QUORGetPropValueInt(number, "DoubleValue", &integer)) << "the name must end in the type";
    EXPECT_FALSE(QUORGetPropValueString(number, "Other", &record));
    EXPECT_FALSE(QUORGetPropValueBool(nullptr, "Value", &boolean));
    EXPECT_FALSE(QUORGetPropValueObject(number, "Missing", &object));

    ObjectHeader* date = nullptr;
    ASSERT_TRUE(QUORGetPropValueObject(number, "DateValue", &date));
    EXPECT_EQ(VarType(date), kVariantDate);
    ReleaseObject(date);
    ReleaseObject(number);
    ReleaseObject(text);
    ReleaseObject(flag);
}

TEST_F(PluginServices, DeclarationsAreMadeFromSignatures) {
    const struct {
        const char* signature;
        const char* withOwner;
        const char* withoutOwner;
    } cases[] = {
        {"Shape.Resize%%o<Shape>i4&i4", "Sub Resize(param0 As Shape, param1 As Integer, ByRef param2 As Integer)",
         "Sub Resize(param1 As Integer, ByRef param2 As Integer)"},
        {"Shape.=Size%%o<Shape>i4", "Sub Size(param0 As Shape, Assigns param1 As Integer)",
         "Sub Size(Assigns param1 As Integer)"},
        {"Grid.Cells%A2s%o<Grid>a1f8", "Function Cells(param0 As Grid, param1() As Double) As String(,)",
         "Function Cells(param1() As Double) As String(,)"},
        {"Area%i4%o<Shape>", "Function Area(param0 As Shape) As Integer", "Function Area() As Integer"},
        {"Bad%q%o<Shape>", "", ""},
        {"NoPercent", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(DeclarationFromSignature(string(c.signature), true).CString(), c.withOwner) << c.signature;
        EXPECT_STREQ(DeclarationFromSignature(string(c.signature), false).CString(), c.withoutOwner) << c.signature;
    }

    EXPECT_EQ(QUORCountClassMethods(mClass), 3);
    void* function = nullptr;
    StringRecord* declaration = nullptr;
    ASSERT_TRUE(QUORGetClassMethod(mClass, 0, &function, &declaration));
    EXPECT_EQ(function, reinterpret_cast<void*>(&Resize));
    EXPECT_STREQ(StringRecord::CString(declaration),
                 "Sub Resize(param0 As Thing, param1 As Integer, ByRef param2 As Integer)");
    StringRecord::Release(declaration);
    EXPECT_FALSE(QUORGetClassMethod(mClass, 3, &function, &declaration));

    EXPECT_EQ(QUORLoadObjectMethod(mThing, "Sub Resize(a As Integer, ByRef b As Integer)"),
              reinterpret_cast<void*>(&Resize));
    EXPECT_EQ(QUORLoadObjectMethod(mThing, "Sub Resize(a As Integer, b As Integer)"), nullptr);
    EXPECT_EQ(QUORLoadObjectMethod(mThing, "function area as integer"), reinterpret_cast<void*>(&Area));
    EXPECT_EQ(QUORLoadObjectMethod(mThing, "Function Narrow() As Integer"), nullptr)
        << "a Short result has no declaration keyword";
    EXPECT_EQ(QUORLoadObjectMethod(mThing, "Sub Resize(x)"), nullptr);
    EXPECT_EQ(QUORLoadObjectMethod(nullptr, "Function Area() As Integer"), nullptr);

    // A method answering an Integer is no property.
    int32_t integer = 0;
    EXPECT_FALSE(QUORGetPropValueInt(mThing, "Area", &integer));

    EXPECT_EQ(QUORCountClassProperties(mClass), 7);
    EXPECT_EQ(QUORCountClassProperties(nullptr), 0);
    void* getter = nullptr;
    void* setter = nullptr;
    int32_t parameter = 0;
    ASSERT_TRUE(QUORGetClassProperty(mClass, 1, &getter, &setter, &parameter, &declaration));
    EXPECT_STREQ(StringRecord::CString(declaration), "Ratio As Double");
    EXPECT_EQ(parameter, kRatio);
    StringRecord::Release(declaration);
    EXPECT_FALSE(QUORGetClassProperty(mClass, 7, nullptr, nullptr, nullptr, nullptr));
    FailureRecorder recorder;
    EXPECT_EQ(QUORCountClassMethods(nullptr), 0);
    EXPECT_EQ(recorder.Count(), 1u);
}

TEST_F(PluginServices, GlobalMethodsAreFoundBySignature) {
    LoadIntrinsicFunctions();
    EXPECT_EQ(QUORLoadGlobalMethod(nullptr, "Function NoSuchGlobal As Integer"), nullptr);
    EXPECT_EQ(QUORLoadGlobalMethod(nullptr, "Function ("), nullptr);
    // A built-in global function of built-in types is found by the declaration made from its row.
    int found = 0;
    for (int32_t i = 0; i < IntrinsicFunctionCount() && found < 3; ++i) {
        const MethodEntry* row = IntrinsicFunctionAt(i);
        bool simple = row->returnType && row->returnType->kind == kTypeIntrinsic && row->function.toc;
        std::string text = std::string("Function ") + row->name + "(";
        for (int32_t p = 0; p < row->parameterCount && simple; ++p) {
            const TypeDescriptor* type = row->parameters[p].parameterType;
            simple = type && type->kind == kTypeIntrinsic && !row->parameters[p].byRef;
            if (simple) text += std::string(p ? ", " : "") + "p" + std::to_string(p) + " As " + type->TypeName().CString();
        }
        if (!simple) continue;
        text += std::string(") As ") + row->returnType->TypeName().CString();
        ParsedDeclaration parsed;
        if (!ParsePluginDeclaration(text.c_str(), &parsed)) continue;  // a type without a keyword
        FreeParsedDeclaration(&parsed);
        void* function = QUORLoadGlobalMethod(nullptr, text.c_str());
        ASSERT_NE(function, nullptr) << text;
        ++found;
    }
    EXPECT_EQ(found, 3);
}

TEST_F(PluginServices, StringsAndRuntimeFacts) {
    EXPECT_EQ(QUORGetQVVersion(), 2005.02);
    EXPECT_TRUE(QUORinRuntime());
    EXPECT_EQ(QUORGetStringEncoding(nullptr), kEncodingASCII);
    StringRecord* built = QUORBuildString("a\0b", 3);
    EXPECT_EQ(built->length, 3);
    EXPECT_EQ(built->encoding, 0xFFFFu);
    EXPECT_EQ(StringGetPString(built)[0], 3);
    QUORUnlockString(built);
    EXPECT_STREQ(StringGetCString(nullptr), "");
    EXPECT_EQ(StringGetPString(nullptr)[0], 0);

    // Retagging drops the kept conversion of the record: the next conversion reads the new tag.
    string text;
    text.SetBytes("\xC3\xA9", 2);
    text.SetEncoding(0x0500);
    StringRecord* wide = QUORConvertString(text.Record(), kEncodingUTF16);
    EXPECT_EQ(StringRecord::Length(wide), 4);
    QUORUnlockString(wide);
    QUORSetStringEncoding(text.Record(), kEncodingUTF8);
    EXPECT_EQ(text.Encoding(), kEncodingUTF8);
    wide = QUORConvertString(text.Record(), kEncodingUTF16);
    EXPECT_EQ(StringRecord::Length(wide), 2);
    QUORUnlockString(wide);

    StringRecord* caption = string("&Save && quit").Detach();
    QUORStripAmpersands(&caption);
    EXPECT_STREQ(StringRecord::CString(caption), "Save & quit");
    QUORUnlockString(caption);
    QUORStripAmpersands(nullptr);
    StringRecord* font = PluginDefaultControlFont();
    EXPECT_STREQ(StringRecord::CString(font), "System");
    QUORUnlockString(font);
    EXPECT_EQ(PluginDefaultControlFontSize(), 12);

    ObjectHeader* made = PluginNewInstance("thing");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->classPtr, mClass);
    ObjectHeader* same = PluginNewOfSameClass(made);
    EXPECT_EQ(same->classPtr, mClass);
    EXPECT_EQ(PluginNewInstance("NoSuchClassAnywhere"), nullptr);
    EXPECT_EQ(PluginClassRecordNamed("THING"), mClass);
    RuntimeUnlockObject(same);
    RuntimeUnlockObject(made);
}

}  // namespace
