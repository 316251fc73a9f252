// SaveInfo data of disk items under Wine: the bytes each mode writes, relative paths between
// folders made for the test, finding items again after their folders moved, and reading damaged
// or hostile data.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "TemporaryFolder.h"
#include "files/FolderItemImpWin32.h"
#include "files/SaveInfo.h"

namespace {

using Imp = std::unique_ptr<FolderItemImp>;

// One record as the format lays it out: the tag low byte first, the length high byte first.
std::string Record(uint16_t tag, const std::string& data, uint32_t length) {
    std::string bytes{static_cast<char>(tag & 0xFF), static_cast<char>(tag >> 8),
                      static_cast<char>(length >> 24), static_cast<char>(length >> 16),
                      static_cast<char>(length >> 8), static_cast<char>(length)};
    return bytes + data;
}
std::string Record(uint16_t tag, const std::string& data) {
    return Record(tag, data, static_cast<uint32_t>(data.size()));
}
std::string Header(char mode) { return std::string("\x00\xF1\xD1\x73\x01", 5) + mode; }
std::string Flags(bool root, bool sealed) {
    return Record(3, std::string(1, root ? '\1' : '\0')) + Record(4, std::string(1, sealed ? '\1' : '\0')) +
           Record(0, "");
}

std::string Bytes(const string& data) { return std::string(BytesOf(data)); }
std::string PathText(const FolderItemImp* item) {
    return item ? std::string(BytesOf(static_cast<const FolderItemImpWin32*>(item)->Path().ToUTF8())) : "(nil)";
}

Imp Read(const std::string& data, FolderItemImp* relativeTo = nullptr) {
    return Imp(FolderItemImpFromSaveInfo(reinterpret_cast<const uint8_t*>(data.data()), data.size(), relativeTo));
}

class SaveInfo : public TemporaryFolderTest {
protected:
    SaveInfo() : TemporaryFolderTest(L"qv-saveinfo-") {}

    std::string Path(const std::string& relative) const { return std::string(BytesOf(PathOf(L""))) + relative; }
    Imp Item(const std::string& relative) const { return std::make_unique<FolderItemImpWin32>(Tagged(Path(relative))); }
    void MakeFolders(std::initializer_list<const char*> relatives) const {
        for (const char* relative : relatives) ASSERT_TRUE(Item(relative)->CreateAsFolder()) << relative;
    }
    void MakeFile(const std::string& relative) const {
        ByteStream* stream = Item(relative)->CreateStream(string());
        ASSERT_NE(stream, nullptr) << relative;
        delete stream;
    }
};

TEST_F(SaveInfo, EachModeWritesItsRecords) {
    MakeFolders({"a", "a\\b", "a\\b\\c", "a\\x"});
    MakeFile("a\\b\\c\\f.txt");
    const Imp file = Item("a\\b\\c\\f.txt");
    const Imp base = Item("a\\x");
    const std::string absolute = Path("a\\b\\c\\f.txt");
    const std::string relative = "..\\b\\c\\f.txt";
    const string modeZero = file->GetSaveInfo(base.get(), 0);
    EXPECT_EQ(modeZero.Encoding(), kEncodingUnknown);
    EXPECT_EQ(Bytes(modeZero), Header(0) + Record(2, relative) + Record(1, absolute) + Flags(false, false));
    EXPECT_EQ(Bytes(file->GetSaveInfo(base.get(), 1)), Header(1) + Record(2, relative) + Flags(false, false));
    EXPECT_EQ(Bytes(file->GetSaveInfo(base.get(), 2)), Header(2) + Record(1, absolute) + Flags(false, false));
    // A mode the format does not know writes no path.
    EXPECT_EQ(Bytes(file->GetSaveInfo(base.get(), 7)), Header(7) + Flags(false, false));

    // Without an item to be relative to, only the absolute path is written, whatever the mode.
    const FolderItemImpWin32 missing(Tagged("Q:\\none\\f.txt"));
    const std::string golden("\x00\xF1\xD1\x73\x01\x02"
                             "\x01\x00\x00\x00\x00\x0DQ:\\none\\f.txt"
                             "\x03\x00\x00\x00\x00\x01\x00"
                             "\x04\x00\x00\x00\x00\x01\x00"
                             "\x00\x00\x00\x00\x00\x00",
                             45);
    for (const int32_t mode : {0, 1, 2}) EXPECT_EQ(Bytes(missing.GetSaveInfo(nullptr, mode)), golden) << mode;

    // A root says so, and a sealed item too.
    const FolderItemImpWin32 root(Tagged("Z:\\"));
    EXPECT_EQ(Bytes(root.GetSaveInfo(nullptr, 2)), Header(2) + Record(1, "Z:") + Flags(true, false));
    const Imp sealed(Read(Header(2) + Record(1, absolute) + Flags(false, true)));
    EXPECT_EQ(Bytes(sealed->GetSaveInfo(nullptr, 2)), Header(2) + Record(1, absolute) + Flags(false, true));
}

TEST_F(SaveInfo, RelativePathsBetweenFolders) {
    MakeFolders({"a", "a\\b", "a\\b\\c", "a\\b\\c\\d", "a\\b\\c\\d\\e", "a\\x"});
    MakeFile("a\\b\\c\\f.txt");
    MakeFile("a\\b\\other.txt");
    const struct {
        const char* item;
        const char* base;
        const char* relative;
    } cases[] = {
        {"a\\b\\c\\f.txt", "a", "b\\c\\f.txt"},
        {"a\\b\\c\\f.txt", "a\\x", "..\\b\\c\\f.txt"},
        {"a\\b\\c\\f.txt", "a\\b\\c", "f.txt"},
        {"a\\b\\c\\f.txt", "a\\b\\c\\d\\e", "..\\..\\f.txt"},
        {"a\\b\\c\\f.txt", "a\\b\\other.txt", "c\\f.txt"},  // a file stands for its folder
        {"a\\b\\c", "a", "b\\c"},
        {"a\\b", "a\\b\\c\\d", "..\\.."},
        // The base folder itself climbs out and in again: its bare name would be a child.
        {"a\\b", "a\\b", "..\\b"},
        {"a\\b", "a\\b\\other.txt", "..\\b"},
    };
    for (const auto& c : cases) {
        const Imp item = Item(c.item);
        const Imp base = Item(c.base);
        const string relative = MakeRelativePath(*static_cast<FolderItemImpWin32*>(item.get()), *base);
        EXPECT_EQ(BytesOf(relative), c.relative) << c.item << " from " << c.base;
        EXPECT_EQ(string::CompareNoCase(ResolveRelativePath(relative, base.get()), Tagged(Path(c.item))), 0)
            << c.item << " from " << c.base;
    }

    // Letter case does not matter.
    const Imp file = Item("a\\b\\c\\f.txt");
    std::string upper = Path("a\\b");
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    const Imp upperBase(FolderItemImpWin32::WithStoredPath(Tagged(upper), false, false));
    EXPECT_EQ(BytesOf(MakeRelativePath(*static_cast<FolderItemImpWin32*>(file.get()), *upperBase)), "c\\f.txt");

    // Another drive has no relative path.
    const FolderItemImpWin32 otherDrive(Tagged("Z:\\"));
    EXPECT_TRUE(MakeRelativePath(*static_cast<FolderItemImpWin32*>(file.get()), otherDrive).IsEmpty());

    // Climbing above the root, and an empty text, name nothing.
    const Imp base = Item("a\\b");
    EXPECT_TRUE(ResolveRelativePath(Tagged("..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\x"), base.get()).IsEmpty());
    EXPECT_TRUE(ResolveRelativePath(string(), base.get()).IsEmpty());

    FailureRecorder failures;
    EXPECT_TRUE(ResolveRelativePath(Tagged("x"), nullptr).IsEmpty());
    ASSERT_EQ(failures.Count(), 1u);
    EXPECT_EQ(failures.Last().condition, "relFold");
}

TEST_F(SaveInfo, DefaultModeFindsItsFileAfterTheFoldersMoved) {
    MakeFolders({"docs", "docs\\project", "docs\\project\\data", "elsewhere"});
    MakeFile("docs\\project\\data\\f.txt");
    const Imp project = Item("docs\\project");
    const std::string data = Bytes(Item("docs\\project\\data\\f.txt")->GetSaveInfo(project.get(), 0));
    const Imp elsewhere = Item("elsewhere");

    // Where the relative path names nothing, the absolute path is taken.
    EXPECT_EQ(PathText(Read(data, elsewhere.get()).get()), Path("docs\\project\\data\\f.txt"));

    ASSERT_TRUE(MoveFileW((folder + L"docs").c_str(), (folder + L"moved").c_str()));
    const Imp moved = Item("moved\\project");
    EXPECT_EQ(PathText(Read(data, moved.get()).get()), Path("moved\\project\\data\\f.txt"));
    // Without a base the absolute path stands, though nothing is there any more.
    EXPECT_EQ(PathText(Read(data).get()), Path("docs\\project\\data\\f.txt"));
    // Neither path names a file: the relative one is kept.
    EXPECT_EQ(PathText(Read(data, elsewhere.get()).get()), Path("elsewhere\\data\\f.txt"));
    // A base file stands for its folder.
    MakeFile("moved\\project\\notes.txt");
    const Imp notes = Item("moved\\project\\notes.txt");
    EXPECT_EQ(PathText(Read(data, notes.get()).get()), Path("moved\\project\\data\\f.txt"));
}

TEST_F(SaveInfo, RelativeModeNeedsABaseOnTheSameDrive) {
    MakeFolders({"a", "a\\b"});
    MakeFile("a\\b\\f.txt");
    const Imp file = Item("a\\b\\f.txt");
    const Imp base = Item("a");
    const std::string data = Bytes(file->GetSaveInfo(base.get(), 1));
    EXPECT_EQ(PathText(Read(data, base.get()).get()), Path("a\\b\\f.txt"));
    // Read without a base, a relative path is not taken against the current folder.
    EXPECT_EQ(Read(data), nullptr);
    EXPECT_EQ(Read(Header(0) + Record(2, "b\\f.txt") + Flags(false, false)), nullptr);
    EXPECT_EQ(Read(Header(2) + Record(2, "b\\f.txt") + Flags(false, false), base.get()), nullptr);

    FolderItemImpWin32 otherDrive(Tagged("Z:\\"));
    const std::string across = Bytes(file->GetSaveInfo(&otherDrive, 1));
    EXPECT_EQ(across, Header(1) + Record(2, "") + Flags(false, false));
    EXPECT_EQ(Read(across, &otherDrive), nullptr);
    EXPECT_EQ(Read(across, base.get()), nullptr);
}

TEST_F(SaveInfo, DamagedDataIsReadWithinItsBounds) {
    MakeFolders({"a"});
    MakeFile("a\\f.txt");
    const std::string path = Path("a");
    const std::string unknown = Record(9, "skipped") + Record(0x100, "") + Record(0xFFFF, "x");
    const std::string valid = Header(2) + unknown + Record(1, path) + Flags(false, true);
    const Imp whole = Read(valid);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(PathText(whole.get()), path);
    // Sealed: no children.
    EXPECT_EQ(whole->GetCount(), 0);
    EXPECT_EQ(whole->GetItem(0, 0), nullptr);
    EXPECT_EQ(Item("a")->GetCount(), 1);

    // Every cut: the item once its path record is whole, sealed once that record is whole too.
    const size_t pathEnd = 6 + unknown.size() + 6 + path.size();
    const size_t sealedEnd = pathEnd + 7 + 7;
    for (size_t length = 0; length < valid.size(); ++length) {
        const Imp item = Read(valid.substr(0, length));
        if (length < pathEnd) {
            EXPECT_EQ(item, nullptr) << length;
            continue;
        }
        ASSERT_NE(item, nullptr) << length;
        EXPECT_EQ(PathText(item.get()), path) << length;
        EXPECT_EQ(item->GetCount(), length >= sealedEnd ? 0 : 1) << length;
    }

    // Lengths that run past the end end the reading, however large; none wraps the position.
    for (const uint32_t length : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFAu, 0xFFFFFFFFu}) {
        EXPECT_EQ(Read(Header(2) + Record(9, "abcdef", length) + Record(1, path)), nullptr) << length;
        EXPECT_EQ(PathText(Read(Header(2) + Record(1, path) + Record(4, "\1", length) + Record(4, "\1")).get()), path)
            << length;
    }

    // Flag records without their byte change nothing and the reading goes on.
    const Imp flagless = Read(Header(2) + Record(3, "") + Record(4, "") + Record(1, "Z:"));
    ASSERT_NE(flagless, nullptr);
    EXPECT_FALSE(static_cast<FolderItemImpWin32*>(flagless.get())->IsRoot());
    EXPECT_EQ(PathText(Read(Header(2) + Record(4, "") + Record(1, path) + Record(4, "\1")).get()), path);

    // The magic alone, or the magic and a version, is no item; anything after the magic is data.
    for (const size_t length : {0, 3, 4, 5, 6}) EXPECT_EQ(Read(valid.substr(0, length)), nullptr) << length;
    const std::string magic("\x00\xF1\xD1\x73", 4);
    EXPECT_FALSE(IsSaveInfoData(reinterpret_cast<const uint8_t*>(magic.data()), 3));
    EXPECT_TRUE(IsSaveInfoData(reinterpret_cast<const uint8_t*>(magic.data()), 4));
    EXPECT_FALSE(IsSaveInfoData(nullptr, 0));
    const std::string text = magic + "C:\\plain.txt";
    EXPECT_TRUE(IsSaveInfoData(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

TEST_F(SaveInfo, ItemsComeBackWithTheirFlags) {
    MakeFolders({"a"});
    for (const char* path : {"Z:\\", "C:\\"}) {
        const FolderItemImpWin32 root(Tagged(path));
        const Imp back = Read(Bytes(root.GetSaveInfo(nullptr, 0)));
        ASSERT_NE(back, nullptr) << path;
        EXPECT_TRUE(static_cast<FolderItemImpWin32*>(back.get())->IsRoot()) << path;
        EXPECT_TRUE(back->IsDirectory()) << path;
        EXPECT_TRUE(back->Exists()) << path;
    }
    const Imp folderItem = Item("a");
    const Imp back = Read(Bytes(folderItem->GetSaveInfo(nullptr, 2)));
    EXPECT_EQ(PathText(back.get()), Path("a"));
    EXPECT_TRUE(back->IsDirectory());
}

}  // namespace
