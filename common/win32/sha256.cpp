#include "win32/sha256.h"

#include <cstdint>
#include <vector>

#include "core/setup_error.h"
#include "win32/system_library.h"
#include "win32/win32_error.h"

namespace qh::win32 {
namespace {

constexpr DWORD kReadSize = 1 << 20;
constexpr ULONG kSumBytes = 32;

void ThrowIfFailedStatus(NTSTATUS status, std::wstring_view operation, std::wstring_view argument = {}) {
    if (!BCRYPT_SUCCESS(status)) {
        throw SetupError(std::wstring(operation), std::wstring(argument), static_cast<std::int32_t>(status),
                         L"Windows' cryptography failed");
    }
}

}  // namespace

Sha256::Sha256() : bcrypt_(LoadSystemLibrary(L"bcrypt.dll")) {
    const auto openAlgorithm =
        ProcedureOf<decltype(&::BCryptOpenAlgorithmProvider)>(bcrypt_.get(), "BCryptOpenAlgorithmProvider");
    closeAlgorithm_ =
        ProcedureOf<decltype(&::BCryptCloseAlgorithmProvider)>(bcrypt_.get(), "BCryptCloseAlgorithmProvider");
    createHash_ = ProcedureOf<decltype(&::BCryptCreateHash)>(bcrypt_.get(), "BCryptCreateHash");
    hashData_ = ProcedureOf<decltype(&::BCryptHashData)>(bcrypt_.get(), "BCryptHashData");
    finishHash_ = ProcedureOf<decltype(&::BCryptFinishHash)>(bcrypt_.get(), "BCryptFinishHash");
    destroyHash_ = ProcedureOf<decltype(&::BCryptDestroyHash)>(bcrypt_.get(), "BCryptDestroyHash");
    ThrowIfFailedStatus(openAlgorithm(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0), L"BCryptOpenAlgorithmProvider",
                        BCRYPT_SHA256_ALGORITHM);
}

Sha256::~Sha256() {
    if (algorithm_) closeAlgorithm_(algorithm_, 0);
}

Sha256::Sum::Sum(Sha256& algorithm) : algorithm_(algorithm) {
    ThrowIfFailedStatus(algorithm_.createHash_(algorithm_.algorithm_, &hash_, nullptr, 0, nullptr, 0, 0),
                        L"BCryptCreateHash");
}

Sha256::Sum::~Sum() {
    if (hash_) algorithm_.destroyHash_(hash_);
}

void Sha256::Sum::Add(UCHAR* bytes, DWORD size, std::wstring_view of) {
    ThrowIfFailedStatus(algorithm_.hashData_(hash_, bytes, size, 0), L"BCryptHashData", of);
}

std::string Sha256::Sum::Finish(std::wstring_view of) {
    UCHAR sum[kSumBytes]{};
    ThrowIfFailedStatus(algorithm_.finishHash_(hash_, sum, kSumBytes, 0), L"BCryptFinishHash", of);
    std::string hex;
    for (const UCHAR byte : sum) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 0xF];
    }
    return hex;
}

std::string Sha256::OfFile(const std::wstring& file) {
    const UniqueFileHandle opened(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!opened) ThrowLastError(L"CreateFileW", file);
    Sum sum(*this);
    std::vector<UCHAR> buffer(kReadSize);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(opened.get(), buffer.data(), kReadSize, &read, nullptr)) ThrowLastError(L"ReadFile", file);
        if (read == 0) break;
        sum.Add(buffer.data(), read, file);
    }
    return sum.Finish(file);
}

}  // namespace qh::win32
