// What larkbridge.exe carries: a 32-bit image that needs no DLL of its own beside it, the program
// icon in twelve sizes, the manifest and the version information.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<char> readExe() {
    std::ifstream file(LARKBRIDGE_EXE_PATH, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The names of the DLLs the image imports, lower-cased.
std::set<std::string> importedDlls(const std::vector<char>& image) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
    const auto* sections = IMAGE_FIRST_SECTION(nt);
    auto fileOffset = [&](DWORD rva) -> std::size_t {
        for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i)
            if (rva >= sections[i].VirtualAddress &&
                rva < sections[i].VirtualAddress + sections[i].SizeOfRawData)
                return rva - sections[i].VirtualAddress + sections[i].PointerToRawData;
        return 0;
    };
    std::set<std::string> names;
    const DWORD importRva =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() + fileOffset(importRva));
         entry->Name; ++entry) {
        std::string name = image.data() + fileOffset(entry->Name);
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        names.insert(name);
    }
    return names;
}

TEST(ExeImage, IsA32BitGuiProgramThatImportsOnlyWindowsItself) {
    const std::vector<char> image = readExe();
    ASSERT_GT(image.size(), 4096u);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    const std::set<std::string> system = {
        "kernel32.dll", "user32.dll",  "gdi32.dll",    "gdiplus.dll",  "advapi32.dll",
        "shell32.dll",  "ole32.dll",   "oleaut32.dll", "comctl32.dll", "dwmapi.dll",
        "msimg32.dll",  "winhttp.dll", "wininet.dll",  "iphlpapi.dll", "ws2_32.dll",
        "shlwapi.dll",  "msvcrt.dll",  "winmm.dll"};
    for (const std::string& dll : importedDlls(image))
        EXPECT_TRUE(system.count(dll) || dll.starts_with("api-ms-win-")) << dll;
}

TEST(ExeImage, CarriesIconManifestAndVersion) {
    struct Module {
        HMODULE handle;
        ~Module() { FreeLibrary(handle); }
    } exe{LoadLibraryExA(LARKBRIDGE_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE)};
    ASSERT_NE(exe.handle, nullptr);

    // The icon group 129 lists twelve images from 16 to 64 px.
    HRSRC group = FindResourceA(exe.handle, MAKEINTRESOURCEA(129), MAKEINTRESOURCEA(14));
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(exe.handle, group)));
    const int count = directory[4] | (directory[5] << 8);
    EXPECT_EQ(count, 12);
    std::set<int> sizes;
    for (int i = 0; i < count; ++i)
        sizes.insert(directory[6 + 14 * i] ? directory[6 + 14 * i] : 256);
    EXPECT_EQ(*sizes.begin(), 16);
    EXPECT_EQ(*sizes.rbegin(), 64);
    EXPECT_EQ(sizes.size(), 12u);

    HRSRC manifest = FindResourceA(exe.handle, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(manifest, nullptr);
    const std::string text(
        static_cast<const char*>(LockResource(LoadResource(exe.handle, manifest))),
        SizeofResource(exe.handle, manifest));
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("supportedOS"), std::string::npos);

    DWORD ignored = 0;
    std::vector<char> version(GetFileVersionInfoSizeA(LARKBRIDGE_EXE_PATH, &ignored));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoA(LARKBRIDGE_EXE_PATH, 0, version.size(), version.data()));
    char* product = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\080404b0\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ(product, "Larkbridge");
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwProductVersionMS), 14);
}

}  // namespace
