// Helpers of the virtual-volume tests, natively and under Wine: byte images written by hand in
// either byte order, whole-file reads and writes through the volume, and a listing of a whole tree.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "DiskImageStream.h"
#include "files/VHFS.h"
#include "files/VolumeFileStream.h"

// Bytes put together by hand, each value in the order asked for.
struct ImageBuilder {
    std::vector<unsigned char> bytes;

    ImageBuilder& Raw(const void* data, size_t n, bool big) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) bytes.push_back(big ? p[n - 1 - i] : p[i]);
        return *this;
    }
    ImageBuilder& U32(uint32_t v, bool big = true) { return Raw(&v, 4, big); }
    ImageBuilder& F64(double v, bool big = true) { return Raw(&v, 8, big); }
    ImageBuilder& Text(std::string_view text, size_t field) {
        for (size_t i = 0; i < field; ++i) bytes.push_back(i < text.size() ? text[i] : 0);
        return *this;
    }
    ImageBuilder& Zeros(size_t n) {
        bytes.insert(bytes.end(), n, 0);
        return *this;
    }
    // A block around a payload, padded with zeros to its length.
    ImageBuilder& Block(uint32_t idnum, uint32_t index, double length, double next,
                        const std::vector<unsigned char>& payload, bool bigDoubles) {
        const size_t start = bytes.size();
        U32(0x426C6B53).U32(idnum).U32(index).F64(length, bigDoubles).F64(next, bigDoubles);
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        Zeros(static_cast<size_t>(length) - 4 - (bytes.size() - start));
        return U32(0x426C6B45);
    }
};

// The file's data read in pieces, so that a damaged length reads only what the chain holds; a
// read that ends early is marked with "?!" at the end.
inline std::vector<unsigned char> ReadEntryData(VHFS& volume, const VHFSEntry& entry) {
    std::vector<unsigned char> data;
    VolumeFileStream* stream = volume.OpenEntryStream(entry);
    if (!stream) return data;
    const size_t length = static_cast<size_t>(stream->Length());
    unsigned char piece[65536];
    while (data.size() < length) {
        int32_t got = 0;
        const bool ok = stream->Read(piece, sizeof piece, &got);
        data.insert(data.end(), piece, piece + got);
        if (!ok || got <= 0) {
            data.insert(data.end(), {'?', '!'});
            break;
        }
    }
    delete stream;
    return data;
}

inline bool WriteEntryData(VHFS& volume, const VHFSEntry& entry, const void* data, size_t n,
                           int32_t at = 0) {
    VolumeFileStream* stream = volume.OpenEntryStream(entry);
    if (!stream) return false;
    const bool ok = stream->SetPosition(at) && stream->Write(data, static_cast<int32_t>(n)) && stream->Close();
    delete stream;
    return ok;
}

inline VHFSEntry FindChild(VHFS& volume, const VHFSEntry& folder, std::string_view name) {
    SimpleVector<VHFSEntry> children;
    volume.ListFolder(folder, children);
    for (uint32_t i = 0; i < children.size(); ++i)
        if (children.mBuf[i].Name() == name) return children.mBuf[i];
    return VHFSEntry();
}

inline std::vector<std::string> ChildNames(VHFS& volume, const VHFSEntry& folder) {
    std::vector<std::string> names;
    SimpleVector<VHFSEntry> children;
    volume.ListFolder(folder, children);
    for (uint32_t i = 0; i < children.size(); ++i) names.emplace_back(children.mBuf[i].Name());
    return names;
}

// One line per item below the folder, depth first in stored order: path, then "/" for a folder
// or the file's data bytes in hexadecimal. Walks at most a bounded number of entries.
inline void ListTree(VHFS& volume, const VHFSEntry& folder, const std::string& path, std::string& out,
                     int depth = 0) {
    if (depth > 400) return;
    SimpleVector<VHFSEntry> children;
    volume.ListFolder(folder, children);
    for (uint32_t i = 0; i < children.size(); ++i) {
        const VHFSEntry& child = children.mBuf[i];
        const std::string childPath = path + "/" + std::string(child.Name());
        out += childPath;
        if (child.IsFolder()) {
            out += " /\n";
            ListTree(volume, child, childPath, out, depth + 1);
        } else {
            static const char hex[] = "0123456789abcdef";
            out += " ";
            for (unsigned char b : ReadEntryData(volume, child)) {
                out += hex[b >> 4];
                out += hex[b & 15];
            }
            out += "\n";
        }
    }
}
