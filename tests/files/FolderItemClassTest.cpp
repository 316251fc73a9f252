#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "CompiledSubclass.h"
#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "StringTesting.h"
#include "TemporaryFolder.h"
#include "core/ArrayRecord.h"
#include "core/DefinitionConversion.h"
#include "core/Platform.h"
#include "files/FolderItem.h"
#include "files/FolderItemImpWin32.h"
#include "files/Permissions.h"
#include "files/TextStreams.h"

namespace {

struct Released {
    void operator()(ObjectHeader* object) const { RuntimeUnlockObject(object); }
};
using Item = std::unique_ptr<ObjectHeader, Released>;

std::string Text(StringRecord* record) {
    const string owned = string::Adopt(record);
    return std::string(BytesOf(owned.ToUTF8()));
}

std::string AbsolutePathOf(ObjectHeader* item) { return Text(fileAbsolutePathGetter(item, 0)); }

std::string Utf8(const std::wstring& wide) {
    char bytes[4 * MAX_PATH];
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return std::string(bytes, n - 1);
}

std::string ExecutableFolder() { return std::string(BytesOf(ApplicationFolderPath().ToUTF8())); }

// An implementation that keeps what it is given, for the members whose platform answers are fixed.
class KeepingImp : public FolderItemImp {
public:
    explicit KeepingImp(std::string path = "C:\\kept") : mPath(std::move(path)) {}
    FolderItemImp* Clone() const override { return new KeepingImp(mPath); }
    string GetAbsolutePath() const override { return Tagged(mPath); }
    uint32_t GetMacType() const override { return mType; }
    bool SetMacType(uint32_t code) override {
        mType = code;
        return true;
    }
    bool OpenAsIcons(SimpleVector<ObjectHeader*>* pictures) override {
        for (int32_t i = 0; i < mIconCount; ++i) pictures->push_back(CreateInstance(GetPermissionsDefinition()));
        return mIconCount > 0;
    }

    std::string mPath;
    uint32_t mType = kUnknownOSType;
    int32_t mIconCount = 0;
};

KeepingImp& KeptOf(ObjectHeader* item) { return *static_cast<KeepingImp*>(FolderItemImpOf(item)); }

class FolderItemClass : public TemporaryFolderTest {
protected:
    FolderItemClass() : TemporaryFolderTest(L"qv-folderitem-") {}

    void Write(const std::wstring& name, const char* bytes) {
        HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes, static_cast<DWORD>(std::strlen(bytes)), &written, nullptr);
        CloseHandle(file);
    }

    std::string Read(const std::wstring& name) {
        HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        char bytes[256];
        DWORD count = 0;
        ReadFile(file, bytes, sizeof bytes, &count, nullptr);
        CloseHandle(file);
        return std::string(bytes, count);
    }

    Item Get(const string& path, int32_t mode = kPathTypeAbsolute) {
        return Item(RuntimeGetFolderItem(path.Record(), mode));
    }

    RaisedExceptions raised;
};

}  // namespace

// The three path types and the texts each refuses.
TEST_F(FolderItemClass, PathTextsGiveTheirItems) {
    Write(L"a.txt", "x");
    const std::string inFolder = Utf8(folder + L"a.txt");
    const std::string url = "file:///" + [&] {
        std::string u = inFolder;
        for (char& c : u)
            if (c == '\\') c = '/';
        return u;
    }();
    const struct {
        std::string path;
        int32_t mode;
        std::string expected;  // "" for nil
    } cases[] = {
        {"", kPathTypeAbsolute, ExecutableFolder() + "\\"},
        {"x.txt", kPathTypeAbsolute, ExecutableFolder() + "\\x.txt"},
        {"nowhere\\x.txt", kPathTypeAbsolute, ""},
        {inFolder, kPathTypeAbsolute, inFolder},
        {inFolder, kPathTypeShell, inFolder},
        {url, kPathTypeURL, inFolder},
        {Utf8(folder + L"missing\\a.txt"), kPathTypeAbsolute, ""},
        {inFolder, 3, ""},
        {std::string("C:\\a\0b", 6), kPathTypeAbsolute, ""},
        {std::string("C:\\a\0b", 6), kPathTypeShell, ""},
    };
    for (const auto& c : cases) {
        Item item = Get(Tagged(c.path), c.mode);
        EXPECT_EQ(item ? AbsolutePathOf(item.get()) : "", c.expected) << c.path << " mode " << c.mode;
    }
    EXPECT_TRUE(raised.Names().empty());
    Item missing = Get(Tagged(Utf8(folder + L"none.txt")));
    ASSERT_TRUE(missing);
    EXPECT_FALSE(fileExistsGetter(missing.get(), 0));
}

// A relative shell path raises once, with the shell message, from GetFolderItem and from the
// constructor alike; other invalid paths make the constructor raise its own message.
TEST_F(FolderItemClass, InvalidPathsRaiseUnsupportedFormat) {
    EXPECT_FALSE(Get(string("a.txt"), kPathTypeShell));
    Item item(CreateInstance(GetFolderItemDefinition()));
    FolderItemPathCtor(item.get(), string("a.txt").Record(), kPathTypeShell);
    FolderItemPathCtor(item.get(), Tagged(std::string("C:\\a\0b", 6)).Record(), kPathTypeAbsolute);
    FolderItemPathCtor(item.get(), Tagged(Utf8(folder + L"missing\\a.txt")).Record(), kPathTypeAbsolute);
    const std::string shell = "Passing non-absolute shell paths is not currently supported";
    const std::string invalid = "The path passed into new FolderItem was invalid";
    ASSERT_EQ(raised.Seen().size(), 4u);
    const std::string expected[] = {shell, shell, invalid, invalid};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(raised.Seen()[i].name, "UnsupportedFormatException");
        EXPECT_EQ(raised.Seen()[i].message, expected[i]) << i;
    }
    EXPECT_EQ(FolderItemImpOf(item.get()), nullptr);  // no failed constructor left an implementation
}

TEST_F(FolderItemClass, ConstructorsTakeTheirItems) {
    Write(L"a.txt", "x");
    Item item(CreateInstance(GetFolderItemDefinition()));
    FolderItemPathCtorNoParams(item.get());
    EXPECT_EQ(AbsolutePathOf(item.get()), ExecutableFolder() + "\\");
    const string path = Tagged(Utf8(folder + L"a.txt"));
    FolderItemPathCtor(item.get(), path.Record(), kPathTypeAbsolute);
    EXPECT_EQ(AbsolutePathOf(item.get()), Utf8(folder + L"a.txt"));
    Item copy(CreateInstance(GetFolderItemDefinition()));
    FolderItemCopyCtor(copy.get(), item.get());
    EXPECT_EQ(AbsolutePathOf(copy.get()), AbsolutePathOf(item.get()));
    EXPECT_NE(FolderItemImpOf(copy.get()), FolderItemImpOf(item.get()));
    FolderItemCopyCtor(copy.get(), nullptr);
    EXPECT_EQ(raised.Take(), "NilObjectException");
    EXPECT_EQ(AbsolutePathOf(copy.get()), AbsolutePathOf(item.get()));
}

// Parent, Child, Item and the folder properties answer objects of the receiver's own class.
TEST_F(FolderItemClass, RelatedItemsKeepTheReceiversClass) {
    Write(L"a.txt", "x");
    Write(L"b.txt", "y");
    ClassRecord* own = CompiledSubclass(GetFolderItemDefinition(), "MyItem", {});
    Item item(RuntimeNewObject(own));
    ASSERT_TRUE(SetFolderItemFromPath(item.get(), Tagged(Utf8(folder + L"a.txt")), true));
    Item parent(folderParentGetter(item.get(), 0));
    ASSERT_TRUE(parent);
    EXPECT_EQ(RuntimeClassOf(parent.get()), own);
    EXPECT_EQ(AbsolutePathOf(parent.get()), Utf8(folder));
    Item child(FolderChild(parent.get(), string("b.txt").Record()));
    ASSERT_TRUE(child);
    EXPECT_EQ(RuntimeClassOf(child.get()), own);
    const int32_t count = fileCountGetter(parent.get(), 0);
    EXPECT_EQ(count, 2);
    Item first(FolderItemItem(parent.get(), 1));
    ASSERT_TRUE(first);
    EXPECT_EQ(RuntimeClassOf(first.get()), own);
    EXPECT_FALSE(Item(FolderItemItem(parent.get(), 0)));
    EXPECT_FALSE(Item(FolderItemItem(parent.get(), count + 1)));
    EXPECT_TRUE(Item(FolderItemTrueItem(parent.get(), count)));
    // The four folder properties have no folder on this platform.
    for (const char* code : {"desk", "trsh", "empt", "temp"}) {
        const int32_t value = code[0] << 24 | code[1] << 16 | code[2] << 8 | code[3];
        EXPECT_FALSE(Item(folderFindFolder(item.get(), value))) << code;
    }
    // Plain FolderItems from the global functions.
    Item plain = Get(Tagged(Utf8(folder + L"a.txt")));
    EXPECT_EQ(RuntimeClassOf(plain.get()), LookupObjectDefinition(GetFolderItemDefinition()));
}

// The code of a text starts from four spaces; the getter gives the four characters back.
TEST_F(FolderItemClass, FourCharacterCodes) {
    Item item(NewFolderItemForImp(new KeepingImp));
    const struct {
        const char* text;
        uint32_t code;
    } cases[] = {{"TEXT", 0x54455854}, {"ab", 0x61622020}, {"abcdef", 0x61626364}};
    for (const auto& c : cases) {
        fileMacTypeSetter(item.get(), 0, string(c.text).Record());
        EXPECT_EQ(KeptOf(item.get()).mType, c.code) << c.text;
    }
    fileMacTypeSetter(item.get(), 0, nullptr);
    EXPECT_EQ(KeptOf(item.get()).mType, 0x61626364u);
    const string type = string::Adopt(fileMacTypeGetter(item.get(), 0));
    EXPECT_EQ(BytesOf(type), "abcd");
    EXPECT_EQ(type.Encoding(), 0u);
    // The disk keeps no codes.
    Write(L"a.txt", "x");
    Item disk = Get(Tagged(Utf8(folder + L"a.txt")));
    fileMacTypeSetter(disk.get(), 0, string("TEXT").Record());
    EXPECT_EQ(Text(fileMacTypeGetter(disk.get(), 0)), "????");
}

// The array holds the only references to the pictures.
TEST_F(FolderItemClass, OpenAsIconsGivesAnArrayOfThePictures) {
    for (int32_t count : {0, 2}) {
        Item item(NewFolderItemForImp(new KeepingImp));
        KeptOf(item.get()).mIconCount = count;
        ArrayRecord* icons = FolderItemOpenAsIcons(item.get());
        ASSERT_NE(icons, nullptr);
        EXPECT_EQ(RuntimeUBound(icons), count - 1);
        if (count) {
            ObjectHeader* first = RuntimeDirectReadObjectArray(icons, 0);
            EXPECT_EQ(first->refCount, 2);  // the array's and this read's
            RuntimeUnlockObject(first);
        }
        RuntimeUnlockArray(icons);
    }
}

// The engine's buffer never receives more than its 1024 bytes.
TEST_F(FolderItemClass, PathToCStringFitsTheEngineBuffer) {
    for (size_t length : {size_t{10}, size_t{1023}, size_t{1024}, size_t{3000}}) {
        Item item(NewFolderItemForImp(new KeepingImp("C:\\" + std::string(length - 3, 'p'))));
        char buffer[kEnginePathBuffer + 1];
        std::memset(buffer, '#', sizeof buffer);
        FolderItemPathToCString(buffer, item.get());
        EXPECT_EQ(std::strlen(buffer), length < 1024 ? length : 0u) << length;
        EXPECT_EQ(buffer[kEnginePathBuffer], '#');
    }
    char buffer[4] = "abc";
    FolderItemPathToCString(buffer, nullptr);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(FolderItemClass, PluginEntryPoints) {
    Write(L"a.txt", "x");
    const std::string path = Utf8(folder + L"a.txt");
    Item item(FolderItemFromPath(path.c_str()));
    ASSERT_TRUE(item);
    EXPECT_EQ(Text(QUORpathFromFolderItem(item.get())), path);
    EXPECT_EQ(FolderItemGetImp(item.get()), FolderItemImpOf(item.get()));
    EXPECT_EQ(FolderItemGetImp(nullptr), nullptr);
    EXPECT_FALSE(Item(FolderItemFromPath(Utf8(folder + L"missing\\a.txt").c_str())));
    EXPECT_FALSE(Item(FolderItemFromPath(nullptr)));
}

// Text files: created, appended to (a missing one created), read back; a locked file is left alone.
TEST_F(FolderItemClass, TextFiles) {
    Item item = Get(Tagged(Utf8(folder + L"t.txt")));
    Item appended(FolderItemAppendTextFile(item.get()));
    ASSERT_TRUE(appended);
    TextOutputStreamWrite(appended.get(), string("one").Record());
    appended.reset();
    appended.reset(FolderItemAppendTextFile(item.get()));
    TextOutputStreamWrite(appended.get(), string("two").Record());
    appended.reset();
    Item input(FolderItemOpenTextFile(item.get()));
    ASSERT_TRUE(input);
    EXPECT_EQ(Text(TextInputStreamReadAll(input.get(), nullptr)), "onetwo");
    input.reset();
    fileLockedSetter(item.get(), 0, true);
    EXPECT_FALSE(Item(FolderItemCreateTextFile(item.get())));
    EXPECT_FALSE(Item(FolderItemAppendTextFile(item.get())));
    EXPECT_FALSE(Item(FolderItemCreateBinaryFile(item.get(), string("text").Record())));
    fileLockedSetter(item.get(), 0, false);
    EXPECT_EQ(Read(L"t.txt"), "onetwo");
    Item created(FolderItemCreateTextFile(item.get()));
    ASSERT_TRUE(created);
    created.reset();
    EXPECT_EQ(Read(L"t.txt"), "");
}

// Nil arguments raise; copying onto an existing file leaves the platform's error number.
TEST_F(FolderItemClass, NilArgumentsAndErrorCodes) {
    Write(L"a.txt", "x");
    Write(L"b.txt", "y");
    Item a = Get(Tagged(Utf8(folder + L"a.txt")));
    Item b = Get(Tagged(Utf8(folder + L"b.txt")));
    FolderItemCopyFileTo(a.get(), nullptr);
    FolderItemMoveFileTo(a.get(), nullptr);
    FolderItemSaveAsJPEG(a.get(), nullptr);
    FolderItemSaveAsPicture(a.get(), nullptr, 0);
    FolderItemSetPermissionsClass(a.get(), nullptr);
    EXPECT_FALSE(Item(FolderItemGetRelative(nullptr, string("x").Record())));
    FolderItemSetLastError(nullptr, 0, 5);
    EXPECT_EQ(raised.Names(), std::vector<std::string>(7, "NilObjectException"));
    FolderItemCopyFileTo(a.get(), b.get());
    EXPECT_EQ(FolderItemGetLastError(a.get(), 0), 80);
    FolderItemSetLastError(a.get(), 0, 0);
    EXPECT_EQ(FolderItemGetLastError(a.get(), 0), 0);
    // Without the SaveInfo reader nothing names an item relative to another.
    EXPECT_FALSE(Item(FolderItemGetRelative(a.get(), string("x").Record())));
    // Windows keeps no permission bits.
    FolderItemSetPermissionsInteger(a.get(), 0755);
    EXPECT_EQ(FolderItemGetPermissions(a.get()), 0);
}

// A subclass instance whose constructor never called a FolderItem constructor has no
// implementation: members answer empty values, methods and setters report it first.
TEST(FolderItemWithoutImplementation, AnswersEmptyAndReportsTheMissingImplementation) {
    ClassRecord* own = CompiledSubclass(GetFolderItemDefinition(), "Bare", {});
    Item item(RuntimeNewObject(own));
    FailureRecorder recorder;
    EXPECT_EQ(fileAbsolutePathGetter(item.get(), 0), nullptr);
    EXPECT_EQ(fileCountGetter(item.get(), 0), 0);
    EXPECT_FALSE(fileExistsGetter(item.get(), 0));
    EXPECT_FALSE(Item(folderParentGetter(item.get(), 0)));
    EXPECT_EQ(fileMacTypeGetter(item.get(), 0), nullptr);
    EXPECT_EQ(FolderItemGetLastError(item.get(), 0), 0);
    EXPECT_EQ(recorder.Count(), 0u);  // getters answer without a report
    const struct {
        void (*call)(ObjectHeader*);
        const char* condition;
    } cases[] = {
        {[](ObjectHeader* o) { FolderItemDelete(o); }, "entry->mImp"},
        {[](ObjectHeader* o) { RuntimeUnlockObject(FolderChild(o, nullptr)); }, "entry->mImp"},
        {[](ObjectHeader* o) { RuntimeUnlockObject(FolderItemItem(o, 1)); }, "entry->mImp"},
        {[](ObjectHeader* o) { RuntimeUnlockObject(FolderItemCreateTextFile(o)); }, "entry->mImp"},
        {[](ObjectHeader* o) { fileNameSetter(o, 0, nullptr); }, "obj->mImp"},
        {[](ObjectHeader* o) { fileLockedSetter(o, 0, true); }, "obj->mImp"},
        {[](ObjectHeader*) { FileShellPathGetter(nullptr, 0); }, "obj"},
    };
    for (const auto& c : cases) {
        const size_t before = recorder.Count();
        c.call(item.get());
        ASSERT_EQ(recorder.Count(), before + 1) << c.condition;
        EXPECT_EQ(recorder.Last().condition, c.condition);
        EXPECT_EQ(recorder.Last().file, "runFolderItem");
    }
}

// Permissions: the edge list.
TEST(Permissions, BitsFollowTheMode) {
    Item perms(CreateInstance(GetPermissionsDefinition()));
    const char* names[] = {"OthersExecute", "OthersWrite", "OthersRead", "GroupExecute", "GroupWrite",
                           "GroupRead",     "OwnerExecute", "OwnerWrite", "OwnerRead",   "StickyBit",
                           "GidBit",        "UidBit"};
    for (int32_t bit = 1; bit <= 0x800; bit <<= 1) EXPECT_FALSE(PermissionsGetter(perms.get(), bit));
    PermissionsCtor(perms.get(), 493);  // octal 755
    const bool expected755[] = {true, false, true, true, false, true, true, true, true, false, false, false};
    for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(PermissionsGetter(perms.get(), 1 << i), expected755[i]) << names[i];
    PermissionsCtor(perms.get(), 0);
    PermissionsSetter(perms.get(), 0x200, true);
    EXPECT_EQ(reinterpret_cast<PermissionsObject*>(perms.get())->mode, 0x200);
    PermissionsSetter(perms.get(), 0x200, false);
    EXPECT_EQ(reinterpret_cast<PermissionsObject*>(perms.get())->mode, 0);
    PermissionsCtor(perms.get(), 0x1FFFF);
    EXPECT_EQ(reinterpret_cast<PermissionsObject*>(perms.get())->mode, 0x1FFFF);
    // Every bit property is declared, each with its own bit.
    int32_t declared = 0;
    for (PropertyDefinition* p = GetPermissionsDefinition()->properties; p; p = p->next)
        declared |= static_cast<int32_t>(p->parameter);
    EXPECT_EQ(declared, 0xFFF);
}

// ResourceFork: every member answers empty, whatever it is given.
TEST(ResourceFork, EveryMemberAnswersEmpty) {
    Item application_fork(appResourceForkGetter(nullptr, 0));
    Item second(appResourceForkGetter(nullptr, 0));
    ASSERT_TRUE(application_fork && second);
    EXPECT_NE(application_fork.get(), second.get());
    ObjectHeader* fork = application_fork.get();
    const string type("TEXT");
    EXPECT_EQ(resourceForkTypeCount(fork, 0), 0);
    EXPECT_EQ(resourceForkResourceType(fork, 1), nullptr);
    EXPECT_EQ(resourceForkGetResource(fork, type.Record(), 128), nullptr);
    EXPECT_EQ(resourceForkGetNamedResource(fork, type.Record(), type.Record()), nullptr);
    EXPECT_EQ(resourceForkResourceCount(fork, type.Record()), 0);
    EXPECT_EQ(resourceForkResourceID(fork, type.Record(), 1), 0);
    EXPECT_EQ(resourceForkResourceName(fork, type.Record(), 128), nullptr);
    resourceForkAddResource(fork, type.Record(), type.Record(), 128, type.Record());
    EXPECT_EQ(resourceForkResourceCount(fork, type.Record()), 0);
    for (auto get : {resourceForkGetPicture, resourceForkGetCicn, resourceForkGetIcl, resourceForkGetIcs,
                     resourceForkGetCursor, resourceForkGetSound})
        EXPECT_EQ(get(fork, 1), nullptr);
    EXPECT_EQ(resourceForkGetNamedPicture(fork, type.Record()), nullptr);
    EXPECT_EQ(resourceForkGetHandle(fork, type.Record(), 128), 0);
    resourceForkSetLocked(fork, type.Record(), 128, true);
    resourceForkSetSysHeap(fork, type.Record(), 128, true);
    EXPECT_FALSE(resourceForkGetLocked(fork, type.Record(), 128));
    EXPECT_FALSE(resourceForkGetSysHeap(fork, type.Record(), 128));
    EXPECT_FALSE(resourceForkGetPurgeable(fork, type.Record(), 128));
    // A FolderItem never opens one.
    Item item(NewFolderItemForImp(new KeepingImp));
    EXPECT_FALSE(Item(folderOpenResourceFork(item.get())));
    EXPECT_FALSE(Item(folderCreateResourceFork(item.get(), type.Record())));
    EXPECT_FALSE(Item(FolderItemOpenResourceMovie(item.get(), 1)));
}

// Under Wine the machine has drives C: and Z:.
TEST(Volumes, DrivesFromCOnwards) {
    EXPECT_EQ(getVolumeCount(), 2);
    Item first(getVolume(0)), second(getVolume(1));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(AbsolutePathOf(first.get()), "C:\\");
    EXPECT_EQ(AbsolutePathOf(second.get()), "Z:\\");
    EXPECT_TRUE(fileDirectoryGetter(first.get(), 0));
    EXPECT_FALSE(Item(getVolume(2)));
    EXPECT_FALSE(Item(getVolume(-1)));
}

namespace {

void CheckSpecialFolders() {
    EXPECT_FALSE(Item(getControlPanelsFolder()));
    EXPECT_FALSE(Item(getShutdownItemsFolder()));
    for (auto get : {getAppleMenuFolder, getDesktopFolder, getExtensionsFolder, getPreferencesFolder,
                     getStartupItemsFolder, getApplicationSupportFolder, getFontsFolder, getSystemFolder,
                     getTemporaryItemsFolder, GetDocumentsFolder}) {
        Item folder(get());
        ASSERT_TRUE(folder);
        EXPECT_NE(AbsolutePathOf(folder.get()).find(':'), std::string::npos) << AbsolutePathOf(folder.get());
    }
    Item system(getSystemFolder()), extensions(getExtensionsFolder());
    EXPECT_EQ(AbsolutePathOf(system.get()), AbsolutePathOf(extensions.get()));
    Item preferences(getPreferencesFolder()), support(getApplicationSupportFolder());
    EXPECT_EQ(AbsolutePathOf(preferences.get()), AbsolutePathOf(support.get()));
    // The global TemporaryFolder is the system's; the property of an item is nil here.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    Item temporary(getTemporaryItemsFolder());
    EXPECT_EQ(AbsolutePathOf(temporary.get()), Utf8(temp));
    EXPECT_FALSE(Item(folderFindFolder(temporary.get(), 0x74656D70)));
}

}  // namespace

// Through the wide and the ANSI system calls alike.
TEST(SpecialFolders, EachNamesItsFolder) {
    for (UnicodePlatformOverride mode : {UnicodePlatformOverride::ForceWide, UnicodePlatformOverride::ForceAnsi}) {
        SCOPED_TRACE(mode == UnicodePlatformOverride::ForceAnsi ? "ANSI" : "wide");
        SetUnicodePlatformOverride(mode);
        CheckSpecialFolders();
    }
    SetUnicodePlatformOverride(UnicodePlatformOverride::None);
}
