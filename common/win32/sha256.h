#pragma once
// SHA-256 through Windows' own cryptography (CNG). bcrypt.dll is no Known DLL: it is loaded by name
// from the system folder when the first file is hashed, and never imported.
#include <windows.h>
#include <bcrypt.h>

#include <string>

#include "win32/unique_handle.h"

namespace qh::win32 {

class Sha256 {
public:
    Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    ~Sha256();

    // One sum, of bytes given piece by piece.
    class Sum {
    public:
        explicit Sum(Sha256& algorithm);
        Sum(const Sum&) = delete;
        Sum& operator=(const Sum&) = delete;
        ~Sum();
        // `of`, what the bytes are of, names them in a failure.
        void Add(UCHAR* bytes, DWORD size, std::wstring_view of);
        // In lower-case hex; once.
        std::string Finish(std::wstring_view of);

    private:
        Sha256& algorithm_;
        BCRYPT_HASH_HANDLE hash_ = nullptr;
    };

    // The file's sum in lower-case hex; a file that cannot be read is a SetupError.
    std::string OfFile(const std::wstring& file);

private:
    UniqueLibrary bcrypt_;
    decltype(&::BCryptCloseAlgorithmProvider) closeAlgorithm_ = nullptr;
    decltype(&::BCryptCreateHash) createHash_ = nullptr;
    decltype(&::BCryptHashData) hashData_ = nullptr;
    decltype(&::BCryptFinishHash) finishHash_ = nullptr;
    decltype(&::BCryptDestroyHash) destroyHash_ = nullptr;
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
};

}  // namespace qh::win32
