// Paths of one item relative to a folder, as SaveInfo data stores them, free of the platform.
//
// A relative path is a list of fields separated by backslashes: each leading ".." climbs one
// folder of the base, every other field enters a folder, and a file's name comes last. Texts are
// UTF-8 bytes and compare without regard to the case of ASCII letters.
#pragma once

#include <string>
#include <string_view>

// The path of an item relative to a base item, both given as their absolute paths (a folder's
// ending with a backslash or not) and whether they are folders; a base file stands for its
// folder. Empty when the two lie on different drives or shares, and when the item is the root
// that is the base. unforeseen is set when the two paths give no answer at all (they cannot
// when they differ).
std::string MakeRelativePathText(std::string_view itemPath, bool itemIsDirectory,
                                 std::string_view basePath, bool baseIsDirectory, bool* unforeseen);

// The absolute path a relative path names from a base item (a base file stands for its
// folder), without a trailing backslash; empty for an empty relative path and when ".." climbs
// above the base's root.
std::string ResolveRelativePathText(std::string_view relativePath, std::string_view basePath,
                                    bool baseIsDirectory);
