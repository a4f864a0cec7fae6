// files/os/unique_handle_win32.h: one owner for every kind of Win32 handle (the window's
// fonts, brush, menus and icons use it too: app/handles_win32.h). Each kind names its
// release call and its empty value: std::unique_ptr knows only nullptr, but FindFirstFileExW
// and CreateFileW fail with INVALID_HANDLE_VALUE.
#pragma once

#include <windows.h>

#include <utility>

namespace tessel::os {

template <typename Traits>
class UniqueHandle {
public:
    using Raw = typename Traits::Raw;

    UniqueHandle() = default;
    explicit UniqueHandle(Raw raw) : raw_(raw) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : raw_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            raw_ = other.Release();
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Raw Get() const { return raw_; }
    explicit operator bool() const { return raw_ != Traits::Invalid(); }
    Raw Release() { return std::exchange(raw_, Traits::Invalid()); }
    // Releases what it holds and takes `raw` instead; false when the release call failed
    // (CloseHandle can report a write that failed late).
    bool Reset(Raw raw = Traits::Invalid()) {
        const Raw old = std::exchange(raw_, raw);
        return old == Traits::Invalid() || Traits::Close(old);
    }

private:
    Raw raw_ = Traits::Invalid();
};

struct FindTraits {
    using Raw = HANDLE;
    static Raw Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(Raw h) { return ::FindClose(h) != 0; }
};
struct FileTraits {
    using Raw = HANDLE;
    static Raw Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(Raw h) { return ::CloseHandle(h) != 0; }
};

// Processes, threads and events: null when there is none.
struct KernelTraits {
    using Raw = HANDLE;
    static Raw Invalid() { return nullptr; }
    static bool Close(Raw h) { return ::CloseHandle(h) != 0; }
};

using UniqueFind = UniqueHandle<FindTraits>;
using UniqueFile = UniqueHandle<FileTraits>;
using UniqueKernelHandle = UniqueHandle<KernelTraits>;

}  // namespace tessel::os
