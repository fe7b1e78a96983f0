#include "win32/held_source.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "core/error_codes.h"
#include "win32/unique_handle.h"
#include "win32/win32_error.h"

namespace qh::win32 {
namespace {

constexpr DWORD kPieceSize = 1 << 20;

// Whether two openings are of the same file.
bool SameFile(HANDLE first, HANDLE second) {
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return ::GetFileInformationByHandle(first, &a) && ::GetFileInformationByHandle(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// Marks a file to go when its last handle closes, or takes that back; a process that ends in
// between takes the file with it.
bool SetDeletePending(HANDLE file, bool pending) noexcept {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = pending ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)) != 0;
}

class Win32HeldSource final : public HeldSource {
public:
    Win32HeldSource(std::wstring file, UniqueFileHandle held, UniqueFileHandle reader, Sha256& sha256)
        : file_(std::move(file)), held_(std::move(held)), reader_(std::move(reader)), sha256_(sha256) {}
    ~Win32HeldSource() override {
        if (copy_) SetDeletePending(copy_.get(), true);
    }

    std::string CopyBeside(const std::wstring& installedFile) override {
        installedFile_ = installedFile;
        // A name of this run's own, in a folder that only administrators may change where it matters.
        copyFile_ = installedFile + L"." + std::to_wstring(::GetCurrentProcessId()) + L".new";
        copy_.reset(::CreateFileW(copyFile_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!copy_) ThrowLastError(L"CreateFileW", copyFile_);
        if (!SetDeletePending(copy_.get(), true)) ThrowLastError(L"SetFileInformationByHandle", copyFile_);
        Sha256::Sum sum(sha256_);
        std::vector<UCHAR> piece(kPieceSize);
        const HANDLE reader = reader_ ? reader_.get() : held_.get();
        for (;;) {
            DWORD read = 0;
            if (!::ReadFile(reader, piece.data(), kPieceSize, &read, nullptr)) ThrowLastError(L"ReadFile", file_);
            if (read == 0) break;
            sum.Add(piece.data(), read, file_);
            DWORD written = 0;
            if (!::WriteFile(copy_.get(), piece.data(), read, &written, nullptr) || written != read) {
                ThrowLastError(L"WriteFile", copyFile_);
            }
        }
        return sum.Finish(file_);
    }

    void PutInPlace() override {
        // On the disk before its name is the target's: a copy half-written at a power cut is
        // never the one in place.
        if (!::FlushFileBuffers(copy_.get())) ThrowLastError(L"FlushFileBuffers", copyFile_);
        if (!SetDeletePending(copy_.get(), false)) ThrowLastError(L"SetFileInformationByHandle", copyFile_);
        const std::size_t nameBytes = installedFile_.size() * sizeof(wchar_t);
        std::vector<std::byte> information(offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(information.data());
        rename->ReplaceIfExists = TRUE;
        rename->FileNameLength = static_cast<DWORD>(nameBytes);
        std::memcpy(rename->FileName, installedFile_.c_str(), nameBytes + sizeof(wchar_t));
        // Windows will not replace a file that is open (in use) or read-only.
        if (!::SetFileInformationByHandle(copy_.get(), FileRenameInfo, rename,
                                          static_cast<DWORD>(information.size()))) {
            const DWORD error = ::GetLastError();
            SetDeletePending(copy_.get(), true);
            ThrowError(error, L"SetFileInformationByHandle FileRenameInfo", installedFile_);
        }
        copy_.reset();
    }

private:
    std::wstring file_;
    UniqueFileHandle held_;    // keeps writers and deleters out
    UniqueFileHandle reader_;  // where the held opening cannot read the file's data itself
    Sha256& sha256_;
    std::wstring installedFile_;
    std::wstring copyFile_;
    UniqueFileHandle copy_;  // written, not yet in place
};

}  // namespace

std::unique_ptr<HeldSource> HoldFile(const std::wstring& file, Sha256& sha256) {
    // Read sharing only: nobody writes, renames or deletes the file while it is held. A link in
    // its place is opened itself, not followed.
    UniqueFileHandle held(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!held) ThrowLastError(L"CreateFileW", file);
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(held.get(), FileAttributeTagInfo, &tag, sizeof(tag))) {
        ThrowLastError(L"GetFileInformationByHandleEx", file);
    }
    if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return std::make_unique<Win32HeldSource>(file, std::move(held), UniqueFileHandle(), sha256);
    }
    // A symbolic link or a junction names another file.
    if (IsReparseTagNameSurrogate(tag.ReparseTag)) ThrowError(kStoppedOnLink, L"CreateFileW", file);
    // Any other reparse point keeps the file's own data elsewhere (a cloud file, deduplicated or
    // compressed by the system), which only an opening through its filter reads: a second one,
    // while the first keeps the file from being replaced, and of the same file.
    UniqueFileHandle reader(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!reader) ThrowLastError(L"CreateFileW", file);
    if (!SameFile(held.get(), reader.get())) ThrowError(kStoppedOnLink, L"CreateFileW", file);
    return std::make_unique<Win32HeldSource>(file, std::move(held), std::move(reader), sha256);
}

}  // namespace qh::win32
