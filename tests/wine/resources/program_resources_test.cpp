// Reads the built programs' resources back the way Windows and Explorer read them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jpeg_header.h"
#include "forms/resource_ids.h"
#include "win32/unique_handle.h"
#include "test_handles.h"

namespace qh::testing {
namespace {

using Bytes = std::span<const std::uint8_t>;

// The build hands over Unix paths; Wine maps them to a drive of its own.
std::wstring ProgramPath(const char* buildPath) {
    using DosFileName = LPWSTR(CDECL*)(LPCSTR);
    const auto toDos = reinterpret_cast<DosFileName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (buildPath[0] == '/' && toDos != nullptr) {
        if (LPWSTR dosPath = toDos(buildPath)) {
            std::wstring result(dosPath);
            ::HeapFree(::GetProcessHeap(), 0, dosPath);
            return result;
        }
    }
    return std::wstring(buildPath, buildPath + std::string_view(buildPath).size());
}

class VersionRecord {
public:
    explicit VersionRecord(const std::wstring& path) {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
        data_.resize(size);
        if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, data_.data())) {
            data_.clear();
        }
    }

    bool Loaded() const { return !data_.empty(); }

    std::optional<VS_FIXEDFILEINFO> Fixed() const {
        auto block = Query(L"\\");
        if (block.size() < sizeof(VS_FIXEDFILEINFO)) {
            return std::nullopt;
        }
        VS_FIXEDFILEINFO info;
        std::copy(block.begin(), block.begin() + sizeof info, reinterpret_cast<std::uint8_t*>(&info));
        return info;
    }

    std::optional<std::array<WORD, 2>> Translation() const {
        auto block = Query(L"\\VarFileInfo\\Translation");
        if (block.size() < 2 * sizeof(WORD)) {
            return std::nullopt;
        }
        std::array<WORD, 2> pair{};
        std::copy(block.begin(), block.begin() + sizeof pair, reinterpret_cast<std::uint8_t*>(pair.data()));
        return pair;
    }

    std::optional<std::wstring> String(std::wstring_view name) const {
        const std::wstring key = L"\\StringFileInfo\\040904B0\\" + std::wstring(name);
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(data_.data(), key.c_str(), &value, &length) || value == nullptr) {
            return std::nullopt;
        }
        // The length counts the terminating null, which the record may or may not carry.
        std::wstring text(static_cast<const wchar_t*>(value), length);
        while (!text.empty() && text.back() == L'\0') {
            text.pop_back();
        }
        return text;
    }

private:
    Bytes Query(const wchar_t* key) const {
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(data_.data(), key, &value, &length) || value == nullptr) {
            return {};
        }
        return {static_cast<const std::uint8_t*>(value), length};
    }

    std::vector<std::uint8_t> data_;
};

// A program file opened for its resources only: nothing of it runs.
class ResourceFile {
public:
    explicit ResourceFile(const std::wstring& path)
        : module_(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    explicit ResourceFile(HMODULE self) : self_(self) {}

    bool Loaded() const { return Module() != nullptr; }

    Bytes Find(LPCWSTR type, int id) const {
        HRSRC info = ::FindResourceW(Module(), MAKEINTRESOURCEW(id), type);
        if (info == nullptr) {
            return {};
        }
        HGLOBAL loaded = ::LoadResource(Module(), info);
        const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
        if (bytes == nullptr) {
            return {};
        }
        return {static_cast<const std::uint8_t*>(bytes), ::SizeofResource(Module(), info)};
    }

    std::vector<int> IdsOf(LPCWSTR type) const {
        std::vector<int> ids;
        ::EnumResourceNamesW(
            Module(), type,
            [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
                if (IS_INTRESOURCE(name)) {
                    reinterpret_cast<std::vector<int>*>(found)->push_back(
                        static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
                }
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&ids));
        std::sort(ids.begin(), ids.end());
        return ids;
    }

private:
    HMODULE Module() const { return self_ != nullptr ? self_ : module_.get(); }

    win32::UniqueLibrary module_;
    HMODULE self_ = nullptr;
};

// The logo as committed, carried by this test binary itself.
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInResource;
    WORD iconId;
};
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
#pragma pack(pop)

struct ProgramCase {
    const char* testName;
    const char* buildPath;
    std::array<WORD, 4> version;
    const wchar_t* versionText;
    const wchar_t* productName;
    const wchar_t* fileDescription;
    const wchar_t* originalFilename;
    const wchar_t* internalName;
    int windowIcon;  // the QZ icon of the program's own dialog
};

const ProgramCase kInstaller{"Installer",
                             QH_INSTALLER_FILE,
                             {2, 0, 0, 1},
                             L"2.00.0001",
                             L"Quenzo Installer",
                             L"Quenzo Halvorn Setup",
                             L"QuenzoHalvornInstall.exe",
                             L"QuenzoHalvornInstall",
                             IDI_QZ_ON_WHITE};
const ProgramCase kUninstaller{"Uninstaller",
                               QH_UNINSTALLER_FILE,
                               {1, 0, 0, 0},
                               L"1.00",
                               L"Quenzo installer",
                               L"Quenzo Halvorn Uninstall",
                               L"QuenzoHalvornUnInstall.exe",
                               L"QuenzoHalvornUnInstall",
                               IDI_QZ_ON_GREY};

// Test names and failure messages name the program, not the bytes of this struct.
void PrintTo(const ProgramCase& program, std::ostream* out) { *out << program.testName; }

class ProgramResources : public ::testing::TestWithParam<ProgramCase> {
protected:
    const ProgramCase& program = GetParam();
    const std::wstring path = ProgramPath(program.buildPath);
};

TEST_P(ProgramResources, FixedVersionsAreTheProgramsVersion) {
    const VersionRecord record(path);
    ASSERT_TRUE(record.Loaded()) << "no version record in " << program.buildPath;
    const auto fixed = record.Fixed();
    ASSERT_TRUE(fixed.has_value());
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const auto [major, minor, build, revision] = program.version;
    const auto pack = [](WORD high, WORD low) { return static_cast<DWORD>(high) << 16 | low; };
    EXPECT_EQ(fixed->dwFileVersionMS, pack(major, minor));
    EXPECT_EQ(fixed->dwFileVersionLS, pack(build, revision));
    EXPECT_EQ(fixed->dwProductVersionMS, pack(major, minor));
    EXPECT_EQ(fixed->dwProductVersionLS, pack(build, revision));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "a debug or pre-release flag is set";
}

// On a Remote Desktop server a program without the mark is given a per-user copy of the Windows
// folder, and the help file would go there.
TEST_P(ProgramResources, IsMarkedTerminalServerAware) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    ASSERT_TRUE(file.is_open());
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS64 nt{};
    file.read(reinterpret_cast<char*>(&dos), sizeof dos);
    file.seekg(dos.e_lfanew).read(reinterpret_cast<char*>(&nt), sizeof nt);
    ASSERT_TRUE(file) << "the headers are cut short";
    ASSERT_EQ(nt.Signature, IMAGE_NT_SIGNATURE);
    EXPECT_NE(nt.OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE, 0);
}

// They start as their caller: a deployment tool in the user's context, a logon script and a
// mapped drive all work as they are. Only the help file's step asks for an administrator.
TEST_P(ProgramResources, ManifestAsksForNoMoreThanTheCallersRights) {
    const ResourceFile file(path);
    ASSERT_TRUE(file.Loaded());
    const Bytes manifest = file.Find(RT_MANIFEST, 1);
    const std::string text(manifest.begin(), manifest.end());
    EXPECT_NE(text.find(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"), std::string::npos) << text;
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos) << "the rest of the manifest stays";
}

TEST_P(ProgramResources, VersionStringsAreUsEnglishUnicode) {
    const VersionRecord record(path);
    ASSERT_TRUE(record.Loaded()) << "no version record in " << program.buildPath;
    const auto translation = record.Translation();
    ASSERT_TRUE(translation.has_value());
    EXPECT_EQ((*translation)[0], 0x0409);
    EXPECT_EQ((*translation)[1], 1200);

    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"FileVersion", program.versionText},           {L"ProductVersion", program.versionText},
        {L"ProductName", program.productName},           {L"FileDescription", program.fileDescription},
        {L"OriginalFilename", program.originalFilename}, {L"InternalName", program.internalName},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(record.String(name), std::optional<std::wstring>(value)) << "string " << name;
    }
}

TEST(ProgramResourcesOfBoth, NameTheSameMaker) {
    const VersionRecord installer(ProgramPath(kInstaller.buildPath));
    const VersionRecord uninstaller(ProgramPath(kUninstaller.buildPath));
    ASSERT_TRUE(installer.Loaded() && uninstaller.Loaded());
    for (const wchar_t* name : {L"CompanyName", L"LegalCopyright"}) {
        const auto fromInstaller = installer.String(name);
        ASSERT_TRUE(fromInstaller.has_value() && !fromInstaller->empty()) << name;
        EXPECT_EQ(fromInstaller, uninstaller.String(name)) << name;
    }
}

TEST_P(ProgramResources, SphereIsTheFileIconAndOnlyOwnIconsAreCarried) {
    const ResourceFile file(path);
    ASSERT_TRUE(file.Loaded()) << "cannot open " << program.buildPath;
    // Explorer takes the first icon group, and integer ids come in ascending order.
    EXPECT_EQ(file.IdsOf(RT_GROUP_ICON), (std::vector<int>{IDI_SPHERE, program.windowIcon}));
}

struct IconCase {
    int id;
    bool transparentOutsideCircle;  // otherwise opaque throughout
};

TEST_P(ProgramResources, IconsAre32By32With256Colours) {
    const ResourceFile file(path);
    ASSERT_TRUE(file.Loaded()) << "cannot open " << program.buildPath;
    for (const IconCase icon : {IconCase{IDI_SPHERE, true}, IconCase{program.windowIcon, false}}) {
        SCOPED_TRACE("icon group " + std::to_string(icon.id));
        const Bytes group = file.Find(RT_GROUP_ICON, icon.id);
        ASSERT_GE(group.size(), sizeof(GroupIconHeader) + sizeof(GroupIconEntry));
        GroupIconHeader header;
        std::copy_n(group.begin(), sizeof header, reinterpret_cast<std::uint8_t*>(&header));
        ASSERT_EQ(header.count, 1) << "one image per icon";
        GroupIconEntry entry;
        std::copy_n(group.begin() + sizeof header, sizeof entry, reinterpret_cast<std::uint8_t*>(&entry));
        EXPECT_EQ(entry.width, 32);
        EXPECT_EQ(entry.height, 32);
        EXPECT_EQ(entry.bitCount, 8);

        // The image Windows picks for a 32 x 32 icon, as LoadIcon would.
        const int imageId =
            ::LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data()), TRUE, 32, 32, LR_DEFAULTCOLOR);
        ASSERT_EQ(imageId, entry.iconId);
        const Bytes image = file.Find(RT_ICON, imageId);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER bitmap;
        std::copy_n(image.begin(), sizeof bitmap, reinterpret_cast<std::uint8_t*>(&bitmap));
        EXPECT_EQ(bitmap.biWidth, 32);
        EXPECT_EQ(bitmap.biHeight, 64) << "colour bitmap and mask together";
        EXPECT_EQ(bitmap.biBitCount, 8);
        EXPECT_EQ(bitmap.biCompression, static_cast<DWORD>(BI_RGB));
        const std::size_t paletteEntries = bitmap.biClrUsed != 0 ? bitmap.biClrUsed : 256;
        const std::size_t maskOffset = bitmap.biSize + 4 * paletteEntries + 32 * 32;
        constexpr std::size_t kMaskRowBytes = 4;
        ASSERT_EQ(image.size(), maskOffset + 32 * kMaskRowBytes);

        // Mask rows run bottom-up; a set bit lets the background through.
        const auto transparent = [&](int x, int y) {
            const std::size_t row = maskOffset + static_cast<std::size_t>(31 - y) * kMaskRowBytes;
            return (image[row + static_cast<std::size_t>(x / 8)] >> (7 - x % 8) & 1) != 0;
        };
        if (icon.transparentOutsideCircle) {
            for (const auto& [x, y] : {std::pair{0, 0}, std::pair{31, 0}, std::pair{0, 31}, std::pair{31, 31}}) {
                EXPECT_TRUE(transparent(x, y)) << "corner " << x << "," << y;
            }
            for (const auto& [x, y] : {std::pair{16, 16}, std::pair{16, 2}, std::pair{2, 16}, std::pair{29, 16}}) {
                EXPECT_FALSE(transparent(x, y)) << "inside the sphere at " << x << "," << y;
            }
        } else {
            EXPECT_TRUE(std::all_of(image.begin() + static_cast<std::ptrdiff_t>(maskOffset), image.end(),
                                    [](std::uint8_t bits) { return bits == 0; }))
                << "the mask lets the background through";
        }

        const win32::UniqueIcon loaded(::CreateIconFromResourceEx(const_cast<PBYTE>(image.data()),
                                                                  static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                                                  32, 32, LR_DEFAULTCOLOR));
        EXPECT_TRUE(loaded) << "Windows does not accept the icon image";
    }
}

// The picture in each program, read from the program itself.
TEST_P(ProgramResources, LogoIsA220By49BaselineColourJpegAt300Dpi) {
    const ResourceFile file(path);
    ASSERT_TRUE(file.Loaded()) << "cannot open " << program.buildPath;
    const auto header = ReadJpegHeader(file.Find(RT_RCDATA, IDR_LOGO_JPEG));
    ASSERT_TRUE(header.has_value()) << "not a readable JPEG";
    EXPECT_EQ(header->frameMarker, 0xC0) << "baseline DCT";
    EXPECT_EQ(header->width, 220);
    EXPECT_EQ(header->height, 49);
    EXPECT_EQ(header->components, 3);
    EXPECT_EQ(header->precision, 8);
    ASSERT_TRUE(header->hasJfif);
    EXPECT_EQ(header->densityUnits, 1) << "dots per inch";
    EXPECT_EQ(header->xDensity, 300);
    EXPECT_EQ(header->yDensity, 300);
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramResources, ::testing::Values(kInstaller, kUninstaller),
                         [](const auto& test) { return std::string(test.param.testName); });

}  // namespace
}  // namespace qh::testing
