// The folder-item interface's defaults and generic algorithms (copy, move, recursive delete, the
// writability probe with its delete task, the file URL) over an in-memory tree of items.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "StringTesting.h"
#include "files/FolderItemImp.h"
#include "host/PeriodicTasks.h"

#undef EOF

namespace {

struct Node {
    std::string name;
    bool folder = false;
    std::string bytes;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;
    bool undeletable = false;
    bool silent = false;  // reads succeed without delivering a byte
    uint32_t macType = kUnknownOSType;
    uint32_t macCreator = kUnknownOSType;
    double modified = 1000.0;

    Node* Find(const std::string& child) const {
        for (const auto& node : children)
            if (node->name == child) return node.get();
        return nullptr;
    }
    Node* Add(const std::string& child, bool isFolder, const std::string& contents = {}) {
        children.push_back(std::make_unique<Node>());
        Node* node = children.back().get();
        node->name = child;
        node->folder = isFolder;
        node->bytes = contents;
        node->parent = this;
        return node;
    }
};

struct Disk {
    bool refuseCreate = false;
    bool stickyCreations = false;  // files made here cannot be deleted
    std::vector<std::string> created;
    int deletes = 0;
    int itemsAlive = 0;
};

// A stream over a node's bytes, written back when it is destroyed.
class NodeStream : public ByteStream {
public:
    explicit NodeStream(Node* node) : mNode(node), mBytes(node->bytes) {}
    ~NodeStream() override { mNode->bytes = mBytes; }
    bool Read(void* buffer, int32_t length, int32_t* count) override {
        int32_t n = std::min<int32_t>(length, static_cast<int32_t>(mBytes.size()) - mPosition);
        if (mNode->silent) n = 0;
        if (count) *count = std::max(n, 0);
        if (n <= 0) return mNode->silent;
        std::memcpy(buffer, mBytes.data() + mPosition, static_cast<size_t>(n));
        mPosition += n;
        return true;
    }
    bool Write(const void* buffer, int32_t length) override {
        if (mBytes.size() < static_cast<size_t>(mPosition + length)) mBytes.resize(mPosition + length);
        std::memcpy(mBytes.data() + mPosition, buffer, static_cast<size_t>(length));
        mPosition += length;
        return true;
    }
    bool Close() override { return true; }
    bool EOF() override { return mPosition >= static_cast<int32_t>(mBytes.size()); }
    bool SetPosition(int32_t position) override {
        mPosition = position;
        return true;
    }
    int32_t Length() override { return static_cast<int32_t>(mBytes.size()); }
    bool SetLength(int32_t) override { return false; }
    int32_t Position() override { return mPosition; }

private:
    Node* mNode;
    std::string mBytes;
    int32_t mPosition = 0;
};

// An entry of a folder node by name, existing or not; the top node has no folder.
class MemoryItem : public FolderItemImp {
public:
    MemoryItem(Disk* disk, Node* folder, Node* top, std::string name)
        : mDisk(disk), mFolder(folder), mTop(top), mName(std::move(name)) {
        ++mDisk->itemsAlive;
    }
    ~MemoryItem() override { --mDisk->itemsAlive; }

    Node* NodeOf() const { return mFolder ? mFolder->Find(mName) : mTop; }

    bool Exists() const override { return NodeOf() != nullptr; }
    bool IsDirectory() const override { return NodeOf() && NodeOf()->folder; }
    string GetName() const override { return string(mName.c_str()); }
    FolderItemImp* GetParent() const override {
        if (!mFolder) return nullptr;
        return new MemoryItem(mDisk, mFolder->parent, mTop, mFolder->name);
    }
    int32_t GetCount() const override { return IsDirectory() ? static_cast<int32_t>(NodeOf()->children.size()) : 0; }
    FolderItemImp* GetItem(int32_t index, uint32_t) const override {
        if (index < 0 || index >= GetCount()) return nullptr;
        return new MemoryItem(mDisk, NodeOf(), mTop, NodeOf()->children[index]->name);
    }
    FolderItemImp* GetChild(const string& name, uint32_t) const override {
        if (!IsDirectory()) return nullptr;
        return new MemoryItem(mDisk, NodeOf(), mTop, std::string(BytesOf(name)));
    }
    ByteStream* OpenStream(bool, bool, bool) override {
        Node* node = NodeOf();
        if (!node || node->folder) return nullptr;
        return new NodeStream(node);
    }
    ByteStream* CreateStream(const string&) override {
        if (mDisk->refuseCreate || !mFolder) {
            mLastError = 5;
            return nullptr;
        }
        Node* node = NodeOf();
        if (!node) {
            node = mFolder->Add(mName, false);
            node->undeletable = mDisk->stickyCreations;
            mDisk->created.push_back(mName);
        }
        node->bytes.clear();
        return new NodeStream(node);
    }
    bool Delete() override {
        ++mDisk->deletes;
        Node* node = NodeOf();
        mLastError = !node ? kFileNotFound : node->undeletable ? 32 : !node->children.empty() ? 145 : 0;
        if (mLastError) return false;
        auto& siblings = mFolder->children;
        siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                    [node](const auto& entry) { return entry.get() == node; }));
        return true;
    }
    uint32_t GetMacType() const override { return NodeOf() ? NodeOf()->macType : kUnknownOSType; }
    uint32_t GetMacCreator() const override { return NodeOf() ? NodeOf()->macCreator : kUnknownOSType; }
    bool SetMacType(uint32_t code) override { return NodeOf() && (NodeOf()->macType = code, true); }
    bool SetMacCreator(uint32_t code) override { return NodeOf() && (NodeOf()->macCreator = code, true); }
    double GetModificationDate() const override { return NodeOf() ? NodeOf()->modified : 0.0; }
    bool SetModificationDate(double seconds) override { return NodeOf() && (NodeOf()->modified = seconds, true); }
    FolderItemImp* Clone() const override { return new MemoryItem(mDisk, mFolder, mTop, mName); }

private:
    Disk* mDisk;
    Node* mFolder;
    Node* mTop;
    std::string mName;
};

class GenericFolderItem : public testing::Test {
protected:
    GenericFolderItem() {
        top.name = "r";
        top.folder = true;
        a = top.Add("a", true);
    }
    // The item of a node below the top.
    std::unique_ptr<FolderItemImp> Item(Node* folder, const std::string& name) {
        return std::make_unique<MemoryItem>(&disk, folder, &top, name);
    }
    std::unique_ptr<FolderItemImp> Top() { return std::make_unique<MemoryItem>(&disk, nullptr, &top, "r"); }

    Disk disk;
    Node top;
    Node* a;
};

TEST(FolderItemImpDefaults, AnswerNeutrally) {
    FolderItemImp base;
    EXPECT_FALSE(base.Exists());
    EXPECT_EQ(base.GetMacType(), 0x3F3F3F3Fu);
    EXPECT_EQ(base.GetMacCreator(), 0x3F3F3F3Fu);
    EXPECT_EQ(base.GetModificationDate(), base.GetCreationDate());
    EXPECT_EQ(base.GetModificationDate(), 0.0);
    EXPECT_EQ(base.GetNumericTag(), -1);
    EXPECT_EQ(base.ReservedNumber(), -1);
    EXPECT_TRUE(base.GetVisible());
    EXPECT_TRUE(base.IsReadable());
    EXPECT_TRUE(base.GetExtensionVisible());
    EXPECT_EQ(base.ResolveAlias(kFollowShortcut), &base);
    EXPECT_EQ(base.OpenStream(true, false), nullptr);
    EXPECT_FALSE(base.DeleteRecursive());
    std::unique_ptr<FolderItemImp> copy(base.Clone());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy.get(), &base);
    EXPECT_EQ(base.LastError(), 0);
}

TEST_F(GenericFolderItem, CopyIntoAFolderReplacesAndKeepsCodes) {
    std::string contents(10000, '\0');
    for (size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<char>(i * 7);
    Node* source = top.Add("s.bin", false, contents);
    source->macType = 0x54455854;
    source->macCreator = 0x51565251;
    a->Add("s.bin", false, "old");
    auto item = Item(&top, "s.bin");
    auto folder = Item(&top, "a");
    EXPECT_TRUE(item->CopyFileTo(folder.get()));
    Node* copy = a->Find("s.bin");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->bytes, contents);
    EXPECT_EQ(copy->macType, 0x54455854u);
    EXPECT_EQ(copy->macCreator, 0x51565251u);

    // Onto itself: nothing happens.
    EXPECT_TRUE(item->CopyFileTo(item.get()));
    EXPECT_EQ(source->bytes, contents);

    // A zero-length file copies to a zero-length file.
    top.Add("empty", false);
    auto empty = Item(&top, "empty");
    auto target = Item(a, "e2");
    EXPECT_TRUE(empty->CopyFileTo(target.get()));
    ASSERT_NE(a->Find("e2"), nullptr);
    EXPECT_TRUE(a->Find("e2")->bytes.empty());
}

TEST_F(GenericFolderItem, FailedCopiesShowAnErrorAndMoveKeepsTheSource) {
    // A source whose reads succeed without bytes ends the copy instead of looping.
    Node* silent = top.Add("silent", false, "abc");
    silent->silent = true;
    auto item = Item(&top, "silent");
    auto target = Item(a, "copy");
    EXPECT_FALSE(item->CopyFileTo(target.get()));
    EXPECT_NE(item->LastError(), 0);
    EXPECT_FALSE(item->MoveFileTo(target.get()));
    EXPECT_NE(top.Find("silent"), nullptr);

    // A target that cannot be created.
    top.Add("plain", false, "xyz");
    auto plain = Item(&top, "plain");
    disk.refuseCreate = true;
    EXPECT_FALSE(plain->CopyFileTo(target.get()));
    EXPECT_EQ(plain->LastError(), 5);
    disk.refuseCreate = false;

    EXPECT_FALSE(plain->CopyFileTo(nullptr));
    EXPECT_EQ(plain->LastError(), kDestDoesNotExistError);

    // Move is copy, then delete.
    plain->SetLastError(0);
    EXPECT_TRUE(plain->MoveFileTo(Item(&top, "a").get()));
    EXPECT_EQ(top.Find("plain"), nullptr);
    ASSERT_NE(a->Find("plain"), nullptr);
    EXPECT_EQ(a->Find("plain")->bytes, "xyz");
}

TEST_F(GenericFolderItem, DeleteRecursiveListsFirstAndStillTriesTheFolder) {
    top.Add("file", false, "x");
    EXPECT_FALSE(Item(&top, "file")->DeleteRecursive());
    EXPECT_NE(top.Find("file"), nullptr);

    Node* inner = a->Add("inner", true);
    inner->Add("deep", false, "1");
    a->Add("one", false, "1");
    auto folder = Item(&top, "a");
    EXPECT_TRUE(folder->DeleteRecursive());
    EXPECT_EQ(top.Find("a"), nullptr);

    Node* b = top.Add("b", true);
    b->Add("first", false);
    b->Add("stuck", false)->undeletable = true;
    b->Add("last", false);
    disk.deletes = 0;
    auto stuck = Item(&top, "b");
    EXPECT_FALSE(stuck->DeleteRecursive());
    // first, stuck, then the folder itself; "last" is not tried after the failure.
    EXPECT_EQ(disk.deletes, 3);
    EXPECT_NE(b->Find("last"), nullptr);
    EXPECT_EQ(stuck->LastError(), 145);
    EXPECT_EQ(disk.itemsAlive, 2);  // the test's own: every listed child was destroyed
}

TEST_F(GenericFolderItem, WriteableFileKeepsContentAndDate) {
    Node* file = top.Add("f", false, "hello");
    file->modified = 1234.0;
    EXPECT_TRUE(Item(&top, "f")->IsWriteable());
    EXPECT_EQ(file->bytes, "hello");
    EXPECT_EQ(file->modified, 1234.0);
    top.Add("e", false);
    EXPECT_TRUE(Item(&top, "e")->IsWriteable());
}

TEST_F(GenericFolderItem, WriteableFolderProbesAFreeNameAndCleansUp) {
    a->modified = 77.0;
    a->Add("$$TestFile$$", false);
    a->Add("$$TestFile$$0", false);
    EXPECT_TRUE(Item(&top, "a")->IsWriteable());
    EXPECT_EQ(disk.created, std::vector<std::string>{"$$TestFile$$1"});
    EXPECT_EQ(a->Find("$$TestFile$$1"), nullptr);
    EXPECT_EQ(a->modified, 77.0);
    EXPECT_EQ(disk.itemsAlive, 0);

    // A missing item probes its parent folder.
    EXPECT_TRUE(Item(a, "missing")->IsWriteable());

    // A probe that cannot create its file answers false and leaves nothing to retry.
    disk.refuseCreate = true;
    disk.deletes = 0;
    EXPECT_FALSE(Item(&top, "a")->IsWriteable());
    EXPECT_EQ(disk.deletes, 0);
    EXPECT_EQ(disk.itemsAlive, 0);
}

TEST_F(GenericFolderItem, UndeletableProbeIsRetriedUntilGone) {
    Node* c = top.Add("c", true);
    disk.stickyCreations = true;
    EXPECT_TRUE(Item(&top, "c")->IsWriteable());
    Node* probe = c->Find("$$TestFile$$");
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(disk.itemsAlive, 1);  // held by its delete task
    probe->undeletable = false;
    Sleep(250);
    RunDuePeriodicTasks(false);
    EXPECT_EQ(c->Find("$$TestFile$$"), nullptr);
    EXPECT_EQ(disk.itemsAlive, 0);
}

TEST_F(GenericFolderItem, DeleteTaskRetriesAndEndsWhenTheFileIsGone) {
    Node* c = top.Add("c", true);
    Node* stuck = c->Add("stuck", false);
    stuck->undeletable = true;
    auto item = Item(c, "stuck");
    new FolderItemDeleteTask(item.release());
    disk.deletes = 0;
    Sleep(250);
    RunDuePeriodicTasks(false);
    EXPECT_EQ(disk.deletes, 1);
    EXPECT_EQ(disk.itemsAlive, 1);
    stuck->undeletable = false;
    Sleep(250);
    RunDuePeriodicTasks(false);
    EXPECT_EQ(c->Find("stuck"), nullptr);
    EXPECT_EQ(disk.itemsAlive, 0);  // the task ended and destroyed its item

    // A task whose file has gone meanwhile ends at its first run.
    new FolderItemDeleteTask(Item(c, "never").release());
    Sleep(250);
    RunDuePeriodicTasks(false);
    EXPECT_EQ(disk.itemsAlive, 0);
}

TEST_F(GenericFolderItem, URLNamesEveryFolderFromTheTop) {
    Node* b = a->Add("b", false);
    (void)b;
    EXPECT_EQ(std::string(BytesOf(Item(a, "b")->GetURLPath())), "file:///r/a/b");
    EXPECT_EQ(std::string(BytesOf(Item(&top, "a")->GetURLPath())), "file:///r/a/");
    a->Add("x y", false);
    EXPECT_EQ(std::string(BytesOf(Item(a, "x y")->GetURLPath())), "file:///r/a/x%20y");
    EXPECT_EQ(disk.itemsAlive, 0);
}

}  // namespace
