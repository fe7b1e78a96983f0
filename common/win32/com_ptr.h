#pragma once
// A small owning COM pointer. (MinGW's wrl/client.h adds a reference in Attach that it should take
// over, so we keep our own.)
#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace qh::win32 {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr& other) noexcept : p_(other.p_) { AddRef(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* p) noexcept {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // For out-parameters: releases what is held, then hands out the slot.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    void reset() noexcept {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }

private:
    void AddRef() noexcept {
        if (p_) p_->AddRef();
    }

    T* p_ = nullptr;
};

}  // namespace qh::win32
