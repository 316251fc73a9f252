// The registered file types: naming a file's type, deregistering, the codes, and the dialog filter
// and extension over the process-wide list.
#include <gtest/gtest.h>

#include <string>

#include "StringTesting.h"
#include "core/Platform.h"
#include "files/FileType.h"

namespace {

std::string Text(const string& s) { return std::string(BytesOf(s)); }

// Registers the types of a test and removes them again.
class FileTypes : public testing::Test {
protected:
    void Register(const char* name, const char* extensions, const char* creator = "") {
        RuntimeRegisterFileType(string(name).Record(), string("TEXT").Record(), string(creator).Record(),
                                string(extensions).Record());
        mNames.push_back(name);
    }
    void TearDown() override {
        for (const char* name : mNames) RuntimeDeregisterFileType(string(name).Record());
        EXPECT_EQ(FirstFileType(), nullptr);
    }
    std::vector<const char*> mNames;
};

TEST_F(FileTypes, TheBestScoreNamesTheFile) {
    EXPECT_EQ(Text(FileTypeNameForFile(string("x.txt"))), "");
    Register("B", ".txt");
    EXPECT_EQ(Text(FileTypeNameForFile(string("x.doc"))), "");
    Register("A", "");
    Register("C", ".TXT");
    const struct {
        const char* file;
        const char* type;
    } rows[] = {{"x.txt", "B"}, {"X.TXT", "B"}, {"x.doc", "A"}, {"C:\\dir.txt\\x", "A"}};
    for (const auto& row : rows) EXPECT_EQ(Text(FileTypeNameForFile(string(row.file))), row.type) << row.file;

    // A trailing ";" gives an empty extension that matches every name.
    Register("All", ".zzz;");
    EXPECT_EQ(FindFileType(string("all"))->MatchFileName(string("whatever.bin")), 3);
}

TEST_F(FileTypes, DeregisteringRemovesTheFirstOfAName) {
    Register("Dup", ".one");
    Register("Other", ".two");
    Register("Dup", ".three");
    RuntimeDeregisterFileType(string("dup").Record());
    mNames.erase(mNames.begin());
    EXPECT_EQ(Text(FindFileType(string("Dup"))->extensions), ".three");
    EXPECT_EQ(Text(FirstFileType()->name), "Other");
    RuntimeDeregisterFileType(string("Unknown").Record());
}

TEST_F(FileTypes, CodesAndTypeLists) {
    Register("Text", ".txt");
    Register("Coded", "", "ab");
    uint32_t type = 0, creator = 0;
    FindFileType(string("Text"))->GetCodes(&type, &creator);
    EXPECT_EQ(type, 0x54584554u);  // "TEXT" in memory order
    EXPECT_EQ(creator, 0x3F3F3F3Fu);
    FindFileType(string("Coded"))->GetCodes(&type, &creator);
    EXPECT_EQ(creator, 0x20206261u);  // "ab  "

    SimpleVector<FileType*> types;
    ParseFileTypeList(string("Coded;Missing;text"), &types);
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(Text(types.mBuf[0]->name), "Coded");
    EXPECT_EQ(Text(types.mBuf[1]->name), "Text");
}

TEST_F(FileTypes, DialogFilterAndExtension) {
    Register("Text", ".txt;.text");
    Register("Picture", ".bmp");
    string filter;
    string extension("old");
    BuildDialogFilter(string("Text;Picture"), &filter, &extension);
    const char expected[] = "Text (*.txt; *.text)\0*.txt;*.text\0Picture (*.bmp)\0*.bmp\0\0";
    EXPECT_EQ(std::string(BytesOf(filter)), std::string(expected, sizeof expected));
    EXPECT_EQ(Text(extension), "bmp");
    BuildDialogFilter(string(), &filter, &extension);
    EXPECT_TRUE(filter.IsEmpty());
    EXPECT_EQ(Text(extension), "bmp");

    const struct {
        const char* name;
        const char* result;
        bool changed;
    } rows[] = {{"report.doc", "report.txt", true},
                {"report.TXT", "report.TXT", false},
                {"C:\\v1.2\\report", "C:\\v1.2\\report.txt", true}};
    for (const auto& row : rows) {
        string name(row.name);
        EXPECT_EQ(ApplyFileExtension(&name, string("txt"), string("txt"), 1024), row.changed) << row.name;
        EXPECT_EQ(Text(name), row.result);
    }
    string longName(std::string(1030, 'n').c_str());
    EXPECT_TRUE(ApplyFileExtension(&longName, string("txt"), string("txt"), 1024));
    EXPECT_EQ(longName.Length(), 1024);
}

}  // namespace
