// The model run of the virtual-volume engine: random creations, writes at positions, cuts,
// deletions, moves and renames of files and folders, checked against a tree held in memory. The
// volume is closed and reopened every so many steps, and now and then a copy of the disk is taken
// at a random write inside an operation, as a crash would leave it: reopened from the copy, every
// file the operation did not touch must match the model, and the copy must go on taking new files
// without disturbing them. Works over any disk stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "DiskImageStream.h"
#include "VolumeTestKit.h"

#undef EOF

// Forwards to another stream, calling a hook before each write.
class ObservedStream : public ByteStream {
public:
    explicit ObservedStream(ByteStream& inner) : mInner(inner) {
        SwapOn();
        SetSwapDoubles(true);
    }
    bool Read(void* b, int32_t n, int32_t* count) override { return mInner.Read(b, n, count); }
    bool Write(const void* b, int32_t n) override {
        if (beforeWrite) beforeWrite();
        return mInner.Write(b, n);
    }
    bool Close() override { return true; }
    bool EOF() override { return mInner.EOF(); }
    bool SetPosition(int32_t p) override { return mInner.SetPosition(p); }
    int32_t Length() override { return mInner.Length(); }
    bool SetLength(int32_t n) override {
        if (beforeWrite) beforeWrite();
        return mInner.SetLength(n);
    }
    int32_t Position() override { return mInner.Position(); }
    void Flush() override { mInner.Flush(); }

    std::vector<unsigned char> Snapshot() {
        const int32_t at = mInner.Position();
        std::vector<unsigned char> bytes(static_cast<size_t>(mInner.Length()));
        int32_t got = 0;
        mInner.SetPosition(0);
        if (!bytes.empty()) mInner.Read(bytes.data(), static_cast<int32_t>(bytes.size()), &got);
        bytes.resize(static_cast<size_t>(got));
        mInner.SetPosition(at);
        return bytes;
    }

    std::function<void()> beforeWrite;

private:
    ByteStream& mInner;
};

class VolumeModelRun {
public:
    VolumeModelRun(ByteStream& disk, unsigned seed) : mDisk(disk), mRandom(seed) {}

    int crashCopies = 0;

    std::string Run(int steps, int reopenEvery) {
        std::unique_ptr<VHFS> volume(VHFS::Create(&mDisk, false));
        if (!volume || !volume->IsOpen()) return "no volume";
        mNodes[""] = Node{true, {}};
        for (int step = 1; step <= steps && mFailure.empty(); ++step) {
            const bool crash = mRandom() % 40 == 0;
            std::vector<unsigned char> copy;
            bool copied = false;
            int countdown = 1 + static_cast<int>(mRandom() % 12);
            if (crash)
                mDisk.beforeWrite = [&] {
                    if (!copied && --countdown == 0) {
                        copy = mDisk.Snapshot();
                        copied = true;
                    }
                };
            const Tree before = crash ? mNodes : Tree();
            mTouched.clear();
            Step(*volume, step);
            mDisk.beforeWrite = nullptr;
            if (copied) {
                CheckCrashCopy(copy, before, step);
                ++crashCopies;
            }
            if (step % reopenEvery == 0) {
                volume.reset();
                volume.reset(new VHFS(&mDisk, false));
                if (!volume->IsOpen()) return Fail(step, "reopen");
                CheckTree(*volume, mNodes, step, "reopened");
            }
        }
        if (mFailure.empty()) CheckTree(*volume, mNodes, steps, "end");
        return mFailure;
    }

private:
    struct Node {
        bool folder;
        std::vector<unsigned char> data;
    };
    using Tree = std::map<std::string, Node>;

    std::string Fail(int step, const std::string& what) {
        if (mFailure.empty()) mFailure = "step " + std::to_string(step) + ": " + what;
        return mFailure;
    }

    static std::string Parent(const std::string& path) { return path.substr(0, path.rfind('/')); }
    static bool Below(const std::string& path, const std::string& top) {
        return path == top || (path.size() > top.size() && path.compare(0, top.size(), top) == 0 && path[top.size()] == '/');
    }

    VHFSEntry Resolve(VHFS& volume, const std::string& path) {
        VHFSEntry entry = volume.GetRootEntry();
        size_t at = 1;
        while (at <= path.size() && !entry.IsEmpty()) {
            const size_t slash = path.find('/', at);
            const std::string name = path.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
            entry = FindChild(volume, entry, name);
            if (slash == std::string::npos) break;
            at = slash + 1;
        }
        return entry;
    }

    std::string Pick(bool folders, bool files, bool rootToo) {
        std::vector<std::string> paths;
        for (const auto& [path, node] : mNodes)
            if ((node.folder ? folders : files) && (rootToo || !path.empty())) paths.push_back(path);
        return paths.empty() ? std::string("\x01") : paths[mRandom() % paths.size()];
    }

    std::string FreeName(const std::string& folder) {
        for (;;) {
            const std::string path = folder + "/n" + std::to_string(mRandom() % 60);
            if (!mNodes.count(path)) return path;
        }
    }

    std::vector<unsigned char> Data(size_t n) {
        std::vector<unsigned char> bytes(n);
        const unsigned base = mRandom();
        for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(base + i * 13 + (i >> 7));
        return bytes;
    }

    void Step(VHFS& volume, int step) {
        const unsigned kind = mRandom() % 100;
        if (kind < 18 || mNodes.size() < 3) {
            const std::string folder = Pick(true, false, true);
            const std::string path = FreeName(folder);
            const bool makeFolder = kind % 4 == 0;
            mTouched.push_back(path);
            const VHFSEntry parent = Resolve(volume, folder);
            const std::string name = path.substr(path.rfind('/') + 1);
            const VHFSEntry made = makeFolder ? volume.CreateFolder(parent, name)
                                              : volume.CreateEntry(parent, name, kUnknownFileType);
            if (made.IsEmpty()) return void(Fail(step, "create " + path));
            mNodes[path] = Node{makeFolder, {}};
        } else if (kind < 50) {
            const std::string path = Pick(false, true, false);
            if (path == "\x01") return;
            Node& node = mNodes[path];
            const size_t at = mRandom() % (node.data.size() + 1);
            const auto data = Data(1 + mRandom() % 2500);
            mTouched.push_back(path);
            if (!WriteEntryData(volume, Resolve(volume, path), data.data(), data.size(), static_cast<int32_t>(at)))
                return void(Fail(step, "write " + path));
            if (node.data.size() < at + data.size()) node.data.resize(at + data.size());
            std::copy(data.begin(), data.end(), node.data.begin() + static_cast<long>(at));
        } else if (kind < 58) {
            const std::string path = Pick(false, true, false);
            if (path == "\x01") return;
            Node& node = mNodes[path];
            const size_t length = mRandom() % (node.data.size() + 1);
            mTouched.push_back(path);
            VolumeFileStream* stream = volume.OpenEntryStream(Resolve(volume, path));
            if (!stream || !stream->SetLength(static_cast<int32_t>(length)) || !stream->Close())
                Fail(step, "set length " + path);
            delete stream;
            node.data.resize(length);
        } else if (kind < 70) {
            const std::string path = Pick(true, true, false);
            if (path == "\x01") return;
            bool empty = true;
            for (const auto& [other, node] : mNodes)
                if (other != path && Below(other, path)) empty = false;
            mTouched.push_back(path);
            const bool deleted = volume.DeleteEntry(Resolve(volume, path));
            if (deleted != empty) return void(Fail(step, "delete " + path));
            if (deleted) mNodes.erase(path);
        } else if (kind < 85) {
            const std::string path = Pick(true, true, false);
            const std::string folder = Pick(true, false, true);
            if (path == "\x01" || Parent(path) == folder) return;
            const std::string target = folder + path.substr(path.rfind('/'));
            if (mNodes.count(target)) return;
            const bool allowed = !Below(folder, path);
            mTouched.push_back(path);
            mTouched.push_back(target);
            const bool moved = volume.MoveEntry(Resolve(volume, path), Resolve(volume, folder));
            if (moved != allowed) return void(Fail(step, "move " + path + " to " + folder));
            if (moved) Rename(path, target);
        } else if (kind < 95) {
            const std::string path = Pick(true, true, false);
            if (path == "\x01") return;
            const std::string target = FreeName(Parent(path));
            mTouched.push_back(path);
            mTouched.push_back(target);
            VHFSEntry entry = Resolve(volume, path);
            if (!volume.RenameEntry(entry, target.substr(target.rfind('/') + 1)))
                return void(Fail(step, "rename " + path));
            Rename(path, target);
        } else if (kind < 98) {
            const std::string path = Pick(false, true, false);
            if (path != "\x01" && ReadEntryData(volume, Resolve(volume, path)) != mNodes[path].data)
                Fail(step, "read " + path);
        } else {
            // A stream's Flush saves the block map, which later steps make stale.
            volume.Core()->Flush();
        }
    }

    void Rename(const std::string& from, const std::string& to) {
        Tree renamed;
        for (auto& [path, node] : mNodes)
            renamed[Below(path, from) ? to + path.substr(from.size()) : path] = std::move(node);
        mNodes.swap(renamed);
    }

    bool Touched(const std::string& path) const {
        for (const std::string& top : mTouched)
            if (Below(path, top) || Below(top, path)) return true;
        return false;
    }

    void CheckTree(VHFS& volume, const Tree& model, int step, const char* when) {
        std::string expected, actual;
        for (const auto& [path, node] : model)
            if (!path.empty()) {
                expected += path + (node.folder ? "/" : " " + std::to_string(node.data.size())) + "\n";
                const VHFSEntry entry = Resolve(volume, path);
                if (entry.IsEmpty() || entry.IsFolder() != node.folder ||
                    (!node.folder && ReadEntryData(volume, entry) != node.data))
                    return void(Fail(step, std::string(when) + ": " + path + " differs"));
            }
        std::string tree;
        ListTree(volume, volume.GetRootEntry(), "", tree);
        std::string extra;
        size_t lines = 0;
        for (size_t at = 0; at < tree.size();) {
            const size_t end = tree.find('\n', at);
            const std::string line = tree.substr(at, end - at);
            const std::string path = line.substr(0, line.find(' '));
            if (!model.count(path)) extra += " " + path;
            ++lines;
            at = end + 1;
        }
        if (lines != model.size() - 1)
            Fail(step, std::string(when) + ": the volume lists other items:" + (extra.empty() ? " (a duplicate)" : extra));
    }

    // The untouched files of the copy match; new files then go in without disturbing them.
    void CheckCrashCopy(const std::vector<unsigned char>& bytes, const Tree& before, int step) {
        DiskImageStream copy(bytes);
        copy.BigEndian();
        VHFS volume(&copy, false);
        if (!volume.IsOpen()) return void(Fail(step, "crash copy does not open"));
        Tree kept;
        for (const auto& [path, node] : before)
            if (!path.empty() && !Touched(path)) kept[path] = node;
        auto verify = [&](const char* when) {
            for (const auto& [path, node] : kept) {
                const VHFSEntry entry = Resolve(volume, path);
                if (entry.IsEmpty() || (!node.folder && ReadEntryData(volume, entry) != node.data))
                    return void(Fail(step, std::string(when) + ": " + path + " lost"));
            }
        };
        // Half the copies take new files before anything else is read, so that allocation meets
        // the stale saved map first.
        const bool newFilesFirst = crashCopies % 2 == 1;
        if (!newFilesFirst) verify("crash copy");
        const VHFSEntry root = volume.GetRootEntry();
        for (int i = 0; i < 3 && mFailure.empty(); ++i) {
            const auto data = Data(500 + mRandom() % 2500);
            const VHFSEntry made = volume.CreateEntry(root, "after" + std::to_string(i), kUnknownFileType);
            if (made.IsEmpty() || !WriteEntryData(volume, made, data.data(), data.size()) ||
                ReadEntryData(volume, made) != data)
                Fail(step, "crash copy takes no new file");
        }
        verify("crash copy after new files");
    }

    ObservedStream mDisk;
    std::mt19937 mRandom;
    Tree mNodes;
    std::vector<std::string> mTouched;
    std::string mFailure;
};

// The model run over a disk stream; the empty string when everything matched.
inline std::string RunVolumeModel(ByteStream& disk, unsigned seed, int steps, int reopenEvery) {
    VolumeModelRun run(disk, seed);
    std::string failure = run.Run(steps, reopenEvery);
    std::printf("model run %u: %d steps, %d crash copies checked\n", seed, steps, run.crashCopies);
    return failure;
}
