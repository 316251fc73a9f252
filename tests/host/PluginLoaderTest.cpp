#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "core/DefinitionConversion.h"
#include "database/PluginDatabaseEngines.h"
#include "host/Application.h"
#include "host/MemoryModule.h"
#include "host/PluginClasses.h"
#include "host/PluginLoading.h"
#include "host/ResourceManager.h"

namespace {

using Image = std::vector<unsigned char>;
using Answer = int32_t (*)();

Image ReadPlugin(const char* name) {
    // Appended piece by piece: GCC 12 warns falsely about a chain of + over temporaries,
    // depending on the length of the build folder's path.
    std::string path = "Z:";
    path.append(QV_TEST_PLUGIN_DIR).append("/").append(name);
    Image bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    unsigned char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
    return bytes;
}

IMAGE_NT_HEADERS32* Headers(Image& image) {
    return reinterpret_cast<IMAGE_NT_HEADERS32*>(image.data() + reinterpret_cast<IMAGE_DOS_HEADER*>(image.data())->e_lfanew);
}

int32_t Call(MemoryModule* module, const char* name) {
    void* function = GetProcAddressFromMemory(module, name);
    return function ? reinterpret_cast<Answer>(function)() : -1000;
}

// The image with the name of one imported library replaced by one of the same length.
Image WithImport(const Image& image, const char* from, const char* to) {
    Image copy = image;
    const size_t length = std::strlen(from);
    for (size_t i = 0; i + length <= copy.size(); ++i) {
        if (std::memcmp(copy.data() + i, from, length) == 0) {
            std::memcpy(copy.data() + i, to, length);
            break;
        }
    }
    return copy;
}

class MemoryModules : public testing::Test {
protected:
    void SetUp() override {
        mImage = ReadPlugin("TestPlugin.dll");
        ASSERT_GT(mImage.size(), 4096u);
    }
    Image mImage;
};

TEST_F(MemoryModules, MapsAtThePreferredBaseAndRelocatesASecondCopy) {
    const uint32_t preferred = Headers(mImage)->OptionalHeader.ImageBase;
    MemoryModule* first = LoadLibraryFromMemory(mImage.data(), mImage.size());
    MemoryModule* second = LoadLibraryFromMemory(mImage.data(), mImage.size());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first->base), preferred);
    EXPECT_NE(reinterpret_cast<uintptr_t>(second->base), preferred);
    for (MemoryModule* module : {first, second}) {
        EXPECT_TRUE(module->initialized);
        EXPECT_NE(GetProcAddressFromMemory(module, "quorpluginmain"), nullptr) << "names compare without case";
        EXPECT_EQ(Call(module, "PluginOrigin"), 1);
        EXPECT_EQ(Call(module, "PluginAttachCount"), 1);
        // The TLS callback ran, thread data and the zero-filled array work, the code stays executable.
        EXPECT_EQ(Call(module, "PluginTlsCallbackCount"), 1);
        EXPECT_EQ(Call(module, "PluginThreadValue"), 42);
        EXPECT_EQ(Call(module, "PluginThreadValue"), 43);
        EXPECT_EQ(Call(module, "PluginZeroFilled"), 1);
        EXPECT_EQ(GetProcAddressFromMemory(module, "NoSuchExport"), nullptr);
        MEMORY_BASIC_INFORMATION info;
        ASSERT_NE(VirtualQuery(GetProcAddressFromMemory(module, "PluginOrigin"), &info, sizeof info), 0u);
        EXPECT_TRUE(info.Protect & (PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE)) << info.Protect;
    }
    FreeLibraryFromMemory(second);
    FreeLibraryFromMemory(first);
    FreeLibraryFromMemory(nullptr);
}

TEST_F(MemoryModules, AnImageWithoutEntryPointIsUsedWithoutAttach) {
    Headers(mImage)->OptionalHeader.AddressOfEntryPoint = 0;
    MemoryModule* module = LoadLibraryFromMemory(mImage.data(), mImage.size());
    ASSERT_NE(module, nullptr);
    EXPECT_FALSE(module->initialized);
    EXPECT_EQ(Call(module, "PluginAttachCount"), 0);
    EXPECT_EQ(Call(module, "PluginOrigin"), 1);
    FreeLibraryFromMemory(module);
}

TEST_F(MemoryModules, AMissingImportIsShownAndRefused) {
    const Image broken = WithImport(mImage, "KERNEL32.dll", "QVABSENT.dll");
    ASSERT_NE(broken, mImage);
    FailureRecorder recorder;
    EXPECT_EQ(LoadLibraryFromMemory(broken.data(), broken.size()), nullptr);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().kind, 0);
    EXPECT_EQ(recorder.Last().code, kPlainMessageCode);
    EXPECT_EQ(recorder.Last().text, "Can't load library QVABSENT.dll");
}

TEST_F(MemoryModules, TruncatedAndCorruptImagesAreRefused) {
    MemoryModule* holder = LoadLibraryFromMemory(mImage.data(), mImage.size());  // later maps relocate
    ASSERT_NE(holder, nullptr);
    const uint32_t lfanew = reinterpret_cast<IMAGE_DOS_HEADER*>(mImage.data())->e_lfanew;
    const uint32_t headers = Headers(mImage)->OptionalHeader.SizeOfHeaders;
    size_t sectionsEnd = 0;  // what follows the last section's raw data is never mapped
    const IMAGE_SECTION_HEADER* last = IMAGE_FIRST_SECTION(Headers(mImage));
    for (int s = 0; s < Headers(mImage)->FileHeader.NumberOfSections; ++s, ++last)
        sectionsEnd = std::max<size_t>(sectionsEnd, last->PointerToRawData + last->SizeOfRawData);
    for (size_t length : {size_t(0), size_t(1), size_t(63), size_t(lfanew + 10), size_t(headers - 1),
                          mImage.size() / 2, sectionsEnd - 1}) {
        EXPECT_EQ(LoadLibraryFromMemory(mImage.data(), length), nullptr) << length;
    }
    EXPECT_EQ(LoadLibraryFromMemory(nullptr, 100), nullptr);

    using Mutation = void (*)(Image&);
    const Mutation mutations[] = {
        [](Image& i) { i[0] = 'X'; },
        [](Image& i) { Headers(i)->Signature = 0x4550AA; },
        [](Image& i) { reinterpret_cast<IMAGE_DOS_HEADER*>(i.data())->e_lfanew = 0x7FFFFFF0; },
        [](Image& i) { Headers(i)->FileHeader.Machine = IMAGE_FILE_MACHINE_AMD64; },
        [](Image& i) { Headers(i)->FileHeader.NumberOfSections = 0xFFFF; },
        [](Image& i) { Headers(i)->OptionalHeader.SizeOfImage = 0; },
        [](Image& i) { IMAGE_FIRST_SECTION(Headers(i))->PointerToRawData = 0x7FFFFF00; },
        [](Image& i) { IMAGE_FIRST_SECTION(Headers(i))->VirtualAddress = 0x7FFFF000; },
        [](Image& i) { Headers(i)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress = 0x7FFFFF00; },
        [](Image& i) { Headers(i)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size = 0x7FFFFF00; },
        [](Image& i) { Headers(i)->OptionalHeader.AddressOfEntryPoint = 0x7FFFFF00; },
        [](Image& i) { Headers(i)->OptionalHeader.NumberOfRvaAndSizes = 0x1000; },
    };
    int index = 0;
    for (Mutation mutate : mutations) {
        Image copy = mImage;
        mutate(copy);
        EXPECT_EQ(LoadLibraryFromMemory(copy.data(), copy.size()), nullptr) << "mutation " << index;
        ++index;
    }
    // Relocation blocks that claim more than their directory holds.
    Image copy = mImage;
    const IMAGE_DATA_DIRECTORY relocations = Headers(copy)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
    IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(Headers(copy));
    for (int s = 0; s < Headers(copy)->FileHeader.NumberOfSections; ++s, ++section) {
        if (relocations.VirtualAddress < section->VirtualAddress ||
            relocations.VirtualAddress >= section->VirtualAddress + section->SizeOfRawData)
            continue;
        auto* block = reinterpret_cast<IMAGE_BASE_RELOCATION*>(
            copy.data() + section->PointerToRawData + (relocations.VirtualAddress - section->VirtualAddress));
        block->SizeOfBlock = 0x7FFFFFF0;
    }
    EXPECT_EQ(LoadLibraryFromMemory(copy.data(), copy.size()), nullptr);
    FreeLibraryFromMemory(holder);
}

// Resources A, C (importing a library that does not exist) and B: B's main runs first, C is shown
// and skipped, A still installs.
TEST(PluginInstall, CarriedPluginsInstallLastFirstAndABrokenOneIsSkipped) {
    CreateApplicationClass();
    const Image a = ReadPlugin("TestPluginBeside.dll");
    const Image b = ReadPlugin("TestPlugin.dll");
    const Image c = WithImport(b, "KERNEL32.dll", "QVABSENT.dll");
    ASSERT_FALSE(a.empty() || b.empty());
    static std::vector<Image> resources;
    for (const auto& [name, image] : {std::pair<std::string, const Image*>{"A.dll", &a}, {"C.dll", &c}, {"B.dll", &b}}) {
        Image resource;
        resource.push_back(static_cast<unsigned char>(name.size()));
        resource.insert(resource.end(), name.begin(), name.end());
        resource.insert(resource.end(), image->begin(), image->end());
        resources.push_back(resource);
    }
    for (const Image& resource : resources)
        ResourceManagerCommon::Add(kResourcePlugin, 0xFFFF, resource.data(), static_cast<uint32_t>(resource.size()), 0);

    FailureRecorder recorder;
    InstallPayloadPlugins();
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().text, "Can't load library QVABSENT.dll");

    // Each registers Twice, then Origin; the list holds the newest first.
    std::vector<int32_t> origins;
    for (PluginGlobalMethod* g = FirstPluginGlobalMethod(); g; g = g->next)
        if (std::strcmp(g->record->declaration, "Function Origin() As Integer") == 0)
            origins.push_back(reinterpret_cast<Answer>(g->record->function)());
    EXPECT_EQ(origins, (std::vector<int32_t>{2, 1}));

    // The classes were built once every library was in; Gadget's superclass came after it.
    ObjectDefinition* widget = FindPluginClassDefinition(string("Widget"));
    ObjectDefinition* gadget = FindPluginClassDefinition(string("Gadget"));
    ASSERT_TRUE(widget && gadget);
    EXPECT_EQ(gadget->super, widget);
    EXPECT_EQ(widget->objectSize, kObjectHeaderSize + 24);
    // Widget's event, numbered after the inherited ones, is handled by Gadget itself.
    ClassRecord* gadgetClass = RuntimeLookupClass(string("Gadget").Record());
    ASSERT_NE(gadgetClass, nullptr);
    ASSERT_EQ(gadgetClass->eventCount, 1);
    EXPECT_STREQ(StringRecord::CString(gadgetClass->events[0].name), "Changed");
    EXPECT_NE(gadgetClass->events[0].vector, nullptr);
    // Registering the engine record zeroed only the first byte of its system word.
    EXPECT_EQ(reinterpret_cast<uintptr_t>(CreateRegisteredDataSource(string("TestEngine"), nullptr, nullptr)),
              0xFFFFFF00u);
}

}  // namespace
