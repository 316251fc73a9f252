// Registry key paths and module names as text, free of the platform.
//
// A full key path is a root key name (matched without regard to case, only these five full names),
// one separator character that is skipped unexamined, and the sub-key path, whose components are
// separated by backslashes.
#pragma once

#include <cstdint>
#include <string_view>

enum class RegistryRoot { None, LocalMachine, CurrentUser, ClassesRoot, CurrentConfig, Users };

// The root of a full path and the offset at which its sub-key path begins (the path's length
// when there is none); RegistryRoot::None for an unknown root.
struct RegistryRootSplit {
    RegistryRoot root;
    size_t subKeyOffset;
};
RegistryRootSplit SplitRegistryRootText(std::string_view path);

// The parent path of a full path: the components split at backslashes (empty ones between two
// separators kept, a trailing separator giving no last one), the last dropped, the rest joined
// with backslashes; empty when the path has a single component.
std::string_view ParentPathOf(std::string_view path);

// The application name of a module path: the file name (after the volume and folders) up to its
// first ".".
std::string_view ApplicationNameOfModule(std::string_view path);
