#pragma once
// Owners of a BSTR and a VARIANT, and the apartment a thread joins.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace qh::win32 {

class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view text);
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            reset();
            bstr_ = std::exchange(other.bstr_, nullptr);
        }
        return *this;
    }
    ~Bstr() { reset(); }

    BSTR get() const noexcept { return bstr_; }
    BSTR release() noexcept { return std::exchange(bstr_, nullptr); }
    BSTR* put() noexcept {
        reset();
        return &bstr_;
    }
    void reset() noexcept {
        if (bstr_) ::SysFreeString(std::exchange(bstr_, nullptr));
    }
    // A null BSTR is the empty text.
    std::wstring str() const { return bstr_ ? std::wstring(bstr_, ::SysStringLen(bstr_)) : std::wstring(); }

private:
    BSTR bstr_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { ::VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : v_(other.v_) { ::VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            ::VariantClear(&v_);
            v_ = other.v_;
            ::VariantInit(&other.v_);
        }
        return *this;
    }
    ~Variant() { ::VariantClear(&v_); }

    static Variant FromBool(bool value) noexcept;
    static Variant FromInt(LONG value) noexcept;
    static Variant FromText(std::wstring_view text);

    const VARIANT& get() const noexcept { return v_; }
    VARIANT* put() noexcept {
        ::VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

// CoInitializeEx for this thread; uninitialises only after a successful initialisation.
class ComApartment {
public:
    ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment();

private:
    bool initialised_ = false;
};

}  // namespace qh::win32
