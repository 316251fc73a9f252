#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "controls/ControlServices.h"
#include "core/ClassDefinition.h"
#include "core/DefinitionConversion.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"

namespace {

struct Sample {
    ObjectHeader header;
    int32_t flag;
    int32_t color;
    double real;
    float single;
    int32_t integer;
    StringRecord* text;
    int32_t customCalls;
    int32_t customValue;
};

extern "C" void SampleCustomSetter(ObjectHeader* object, int32_t parameter, int32_t value) {
    auto* s = reinterpret_cast<Sample*>(object);
    ++s->customCalls;
    s->customValue = value + parameter;
}
extern "C" void SampleFinalizer(ObjectHeader* object) {
    RuntimeUnlockString(reinterpret_cast<Sample*>(object)->text);
}

// Index 0 to 8 in this order; 6 is read-only, 7 takes its own setter with parameter 1000, 8 has a
// type without a record layout.
PropertyEntry kSampleProperties[] = {
    QV_PROPERTY_ROW(0, "Flag", AsType(&kBooleanType), boolGetter, boolSetter, offsetof(Sample, flag)),
    QV_PROPERTY_ROW(0, "Tint", AsType(&kColorType), intGetter, intSetter, offsetof(Sample, color)),
    QV_PROPERTY_ROW(0, "Real", AsType(&kDoubleType), doubleGetter, doubleSetter, offsetof(Sample, real)),
    QV_PROPERTY_ROW(0, "Single", AsType(&kSingleType), singleGetter, singleSetter,
                    offsetof(Sample, single)),
    QV_PROPERTY_ROW(0, "Count", AsType(&kIntegerType), intGetter, intSetter, offsetof(Sample, integer)),
    QV_PROPERTY_ROW(0, "Text", AsType(&kStringType), stringGetter, stringSetter, offsetof(Sample, text)),
    QV_READ_ONLY_ROW(0, "Fixed", AsType(&kIntegerType), intGetter, offsetof(Sample, integer)),
    QV_PROPERTY_ROW(0, "Custom", AsType(&kIntegerType), intGetter, SampleCustomSetter, 1000),
    QV_PROPERTY_ROW(0, "Where", AsType(&kPtrType), intGetter, intSetter, offsetof(Sample, integer)),
};

const ClassRows kSampleRows = {
    .className = "MassSample",
    .superclass = nullptr,
    .objectSize = sizeof(Sample),
    .finalizer = Function(SampleFinalizer, "SampleFinalizer"),
    .properties = kSampleProperties,
};

ClassRecord* SampleClass() {
    static ObjectDefinition definition;
    return LookupObjectDefinition(FillClassDefinition(definition, kSampleRows));
}

// A stream built from bytes.
struct Bytes {
    std::string data;
    Bytes& Index(uint16_t i) { return Raw({uint8_t(i >> 8), uint8_t(i)}); }
    Bytes& Raw(std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) data.push_back(static_cast<char>(b));
        return *this;
    }
    Bytes& Word(uint32_t w) { return Raw({uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w)}); }
    Bytes& Text(const std::string& t) {
        Word(static_cast<uint32_t>(t.size()));
        data += t;
        return *this;
    }
    string Record() const {
        string s;
        s.SetBytes(data.data(), static_cast<int32_t>(data.size()));
        return s;
    }
};

class MassPropertySetter : public testing::Test {
protected:
    void SetUp() override {
        object = RuntimeNewObject(SampleClass());
        sample()->flag = 7;
        sample()->integer = -5;
    }
    void TearDown() override { RuntimeUnlockObject(object); }
    Sample* sample() { return reinterpret_cast<Sample*>(object); }
    void Apply(const Bytes& stream) { RuntimeMassPropertySetter(object, stream.Record().Record()); }

    ObjectHeader* object = nullptr;
};

TEST_F(MassPropertySetter, EachTypeReachesItsSetter) {
    uint64_t realBits;
    const double real = -2.5e10;
    std::memcpy(&realBits, &real, 8);
    uint32_t singleBits;
    const float single = 0.375f;
    std::memcpy(&singleBits, &single, 4);
    FailureRecorder recorder;
    Apply(Bytes()
              .Index(0).Raw({0x80})
              .Index(1).Raw({255, 128, 0})
              .Index(2).Word(uint32_t(realBits >> 32)).Word(uint32_t(realBits))
              .Index(3).Word(singleBits)
              .Index(4).Word(0xFFFFFF85)
              .Index(5).Text("h\xC3\xA9")
              .Index(7).Word(23));
    EXPECT_EQ(recorder.Count(), 0u);
    EXPECT_EQ(sample()->flag, 1);
    EXPECT_EQ(sample()->color, 0xFF8000);
    EXPECT_EQ(sample()->real, real);
    EXPECT_EQ(sample()->single, single);
    EXPECT_EQ(sample()->integer, -123);
    ASSERT_NE(sample()->text, nullptr);
    EXPECT_EQ(std::string(StringRecord::CString(sample()->text)), "h\xC3\xA9");
    EXPECT_EQ(sample()->text->encoding, kEncodingUTF8);
    EXPECT_EQ(sample()->customCalls, 1);
    EXPECT_EQ(sample()->customValue, 1023);
}

TEST_F(MassPropertySetter, EmptyTextAndFalseFlag) {
    Apply(Bytes().Index(5).Text("x"));
    FailureRecorder recorder;
    Apply(Bytes().Index(5).Text("").Index(0).Raw({0}));
    EXPECT_EQ(recorder.Count(), 0u);
    EXPECT_EQ(sample()->text, nullptr);
    EXPECT_EQ(sample()->flag, 0);
}

// A bad record is reported and nothing after it is applied; the records before it are.
TEST_F(MassPropertySetter, BadRecordsAreReportedAndEndTheRun) {
    struct Case {
        const char* what;
        Bytes tail;
        const char* condition;
        const char* message;
        bool last;  // the stream ends with the bad record
    };
    const Case cases[] = {
        {"index past the table", Bytes().Index(9).Word(1), "destIndex < propTableCount", "", false},
        {"unknown type", Bytes().Index(8).Word(1), "type", "Illegal type in mass property input.", false},
        {"read-only", Bytes().Index(6).Word(1), "setter",
         "Assignment to read-only property Fixed%i4%", false},
        {"half an index", Bytes().Raw({0}), "length", "Mass property input ends inside a record.", true},
        {"short integer", Bytes().Index(4).Raw({1, 2}), "length",
         "Mass property input ends inside a record.", true},
        {"text longer than the stream", Bytes().Index(5).Word(0x7FFFFFFF).Raw({'a'}), "length",
         "Mass property input ends inside a record.", true},
        {"two colour bytes", Bytes().Index(1).Raw({1, 2}), "length", "Mass property input ends inside a record.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sample()->integer = -5;
        Bytes stream = Bytes().Index(7).Word(1);
        stream.data += c.tail.data;
        if (!c.last) stream.Index(4).Word(99);
        FailureRecorder recorder;
        Apply(stream);
        ASSERT_EQ(recorder.Count(), 1u);
        EXPECT_EQ(recorder.Last().file, "runctl");
        EXPECT_EQ(recorder.Last().condition, c.condition);
        EXPECT_EQ(recorder.Last().message, c.message);
        EXPECT_EQ(sample()->customValue, 1001);
        EXPECT_EQ(sample()->integer, -5);
    }
}

TEST_F(MassPropertySetter, NilObjectOrStreamDoesNothing) {
    FailureRecorder recorder;
    RuntimeMassPropertySetter(nullptr, Bytes().Index(4).Word(1).Record().Record());
    RuntimeMassPropertySetter(object, nullptr);
    EXPECT_EQ(recorder.Count(), 0u);
    EXPECT_EQ(sample()->integer, -5);
}

}  // namespace
