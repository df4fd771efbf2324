// COM pointers, task memory and the COM/OLE initialisation scopes.
#pragma once

#include "UniqueResource.h"

#include <objbase.h>
#include <ole2.h>

#include <utility>

namespace platform {

// Owns one reference to a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds (an out parameter, a new object).
    explicit ComPtr(T* ptr) : ptr_(ptr) {}
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& other) : ptr_(other.ptr_)
    {
        if (ptr_)
            ptr_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other)
    {
        if (other.ptr_)
            other.ptr_->AddRef();
        reset(other.ptr_);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.ptr_, nullptr));
        return *this;
    }

    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    T* release() { return std::exchange(ptr_, nullptr); }
    void reset(T* ptr = nullptr)
    {
        T* old = std::exchange(ptr_, ptr);
        if (old)
            old->Release();
    }
    // For the calls that hand back a new reference; releases what was held first.
    T** out()
    {
        reset();
        return &ptr_;
    }
    void** outVoid() { return reinterpret_cast<void**>(out()); }

    // QueryInterface into another owner; an empty owner on failure.
    template <typename U>
    ComPtr<U> query(REFIID iid) const
    {
        ComPtr<U> result;
        if (ptr_)
            ptr_->QueryInterface(iid, result.outVoid());
        return result;
    }

private:
    T* ptr_ = nullptr;
};

// Memory the platform hands out from the COM task allocator (a shell item id list, a string),
// freed with CoTaskMemFree.
template <typename T>
struct CoTaskMemTraits {
    using Type = T*;
    static constexpr Type empty = nullptr;
    static Type normal(Type memory) { return memory; }
    static void close(Type memory) { CoTaskMemFree(const_cast<void*>(static_cast<const void*>(memory))); }
};
template <typename T>
using CoTaskMemPtr = UniqueResource<CoTaskMemTraits<T>>;

// A BSTR from an automation call, freed with SysFreeString.
struct BstrTraits {
    using Type = BSTR;
    static constexpr Type empty = nullptr;
    static Type normal(Type text) { return text; }
    static void close(Type text) { SysFreeString(text); }
};
using Bstr = UniqueResource<BstrTraits>;

// A VARIANT cleared (its string or interface released) when the scope ends.
class VariantScope {
public:
    VariantScope() { VariantInit(&value_); }
    ~VariantScope() { VariantClear(&value_); }
    VariantScope(const VariantScope&) = delete;
    VariantScope& operator=(const VariantScope&) = delete;
    VARIANT* operator&() { return &value_; }
    VARIANT& get() { return value_; }

private:
    VARIANT value_;
};

// COM or OLE initialised for one scope and uninitialised at its end, but only when it succeeded
// (S_FALSE counts: already initialised). A thread already initialised in another apartment model
// gets RPC_E_CHANGED_MODE; balancing that failed call would undo the thread's own initialisation.
template <typename Traits>
class InitScope {
public:
    InitScope() : result_(Traits::initialise()) {}
    ~InitScope()
    {
        if (SUCCEEDED(result_))
            Traits::uninitialise();
    }
    InitScope(const InitScope&) = delete;
    InitScope& operator=(const InitScope&) = delete;
    bool ok() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

struct ComInitTraits {
    static HRESULT initialise() { return CoInitialize(nullptr); }
    static void uninitialise() { CoUninitialize(); }
};
using ComScope = InitScope<ComInitTraits>;

struct OleInitTraits {
    static HRESULT initialise() { return OleInitialize(nullptr); }
    static void uninitialise() { OleUninitialize(); }
};
using OleScope = InitScope<OleInitTraits>;

}  // namespace platform
