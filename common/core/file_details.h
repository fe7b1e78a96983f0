#pragma once
// What the scripting runtime does not reach: a file's named streams and attributes, whether
// another program holds it open, the user's temporary folder and the running program's folder.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qh {

// File attributes, by the system's own bits.
inline constexpr std::uint32_t kReadOnlyAttribute = 0x1;
inline constexpr std::uint32_t kHiddenAttribute = 0x2;

// The stream in which Windows marks a file that came from the internet.
inline constexpr std::wstring_view kDownloadMarkStream = L"Zone.Identifier";

// A file of the medium opened once, for the help file's copy into the Windows folder, which an
// administrator's process or another account's run makes from a folder a user may change: a link
// in the file's place is refused, writers and deleters are shut out while it is held, and every
// byte of the copy is read through that one opening, so that the bytes checked are those copied.
class HeldSource {
public:
    // A copy that was written but never put in place goes with it.
    virtual ~HeldSource() = default;
    // Writes the file's bytes into a new file beside `installedFile`, hashing them as they are read;
    // their SHA-256 in lower-case hex. Nothing is in `installedFile`'s place yet. A failure is a
    // SetupError.
    virtual std::string CopyBeside(const std::wstring& installedFile) = 0;
    // Puts that copy in the place of `installedFile`, replacing what is there.
    virtual void PutInPlace() = 0;
};

class FileDetails {
public:
    virtual ~FileDetails() = default;
    // Removes the file's stream of this name; false when it has none. A failure is a SetupError.
    virtual bool RemoveStream(const std::wstring& file, std::wstring_view stream) = 0;
    // Clears those of `attributes` that are set; false when the file does not exist. A failure is
    // a SetupError.
    virtual bool ClearAttributes(const std::wstring& file, std::uint32_t attributes) = 0;
    // Whether another program holds the file open so that it can be neither written nor deleted.
    virtual bool IsInUse(const std::wstring& file) noexcept = 0;
    // The user's temporary folder, where Windows runs a program opened inside a zip archive.
    virtual std::wstring TemporaryFolder() = 0;
    // An existing file or folder's path in its long form, where it was given in its short 8.3
    // form ("C:\Users\JOHNSM~1"); as it is given when the system cannot tell.
    virtual std::wstring LongPath(const std::wstring& path) noexcept = 0;
    // The normalised folder that holds the running program's file ("E:" at a drive's root).
    virtual std::wstring ProgramFolder() = 0;
    // The running program's file.
    virtual std::wstring ProgramFile() = 0;
    // The SHA-256 sums of the add-in files that a release build carries, as sha256sum writes
    // them; none in a build made without the add-in's files.
    virtual std::optional<std::string> CarriedSums() = 0;
    // The SHA-256 of a file's content, in lower-case hex. A failure to read it is a SetupError.
    virtual std::string Sha256Of(const std::wstring& file) = 0;
    // Opens a file once, as HeldSource says; a link is refused with ERROR_STOPPED_ON_SYMLINK
    // (kStoppedOnLink). A failure is a SetupError.
    virtual std::unique_ptr<HeldSource> HoldSource(const std::wstring& file) = 0;
    // The network path of a mapped drive ("Z:" gives "\\server\share"); empty for any other drive.
    virtual std::wstring NetworkPathOf(const std::wstring& drive) noexcept = 0;
    // The folder a drive made with subst stands for ("S:" gives "C:\Media"); empty for any other.
    virtual std::wstring SubstitutedPathOf(const std::wstring& drive) noexcept = 0;
};

}  // namespace qh
