// app/handles_win32.h: ownership of the Win32 handles the shell creates. Each kind names
// its release call and its empty value; the owner is move-only, so a handle is released
// exactly once. Controls never own the fonts they are given: fonts outlive the windows.
#pragma once

#include <windows.h>

namespace tessel {

template <typename Traits>
class UniqueHandle {
public:
    using Raw = typename Traits::Raw;

    UniqueHandle() = default;
    explicit UniqueHandle(Raw raw) : raw_(raw) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : raw_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Raw Get() const { return raw_; }
    explicit operator bool() const { return raw_ != Traits::Invalid(); }
    // Gives up ownership, for a handle that something else now releases.
    Raw Release() {
        const Raw raw = raw_;
        raw_ = Traits::Invalid();
        return raw;
    }
    void Reset(Raw raw = Traits::Invalid()) {
        if (raw_ != Traits::Invalid()) Traits::Close(raw_);
        raw_ = raw;
    }

private:
    Raw raw_ = Traits::Invalid();
};

struct FontTraits {
    using Raw = HFONT;
    static Raw Invalid() { return nullptr; }
    static void Close(Raw h) { ::DeleteObject(h); }
};
struct BrushTraits {
    using Raw = HBRUSH;
    static Raw Invalid() { return nullptr; }
    static void Close(Raw h) { ::DeleteObject(h); }
};
// Destroying a menu destroys the pop-ups attached to it as well.
struct MenuTraits {
    using Raw = HMENU;
    static Raw Invalid() { return nullptr; }
    static void Close(Raw h) { ::DestroyMenu(h); }
};
struct IconTraits {
    using Raw = HICON;
    static Raw Invalid() { return nullptr; }
    static void Close(Raw h) { ::DestroyIcon(h); }
};

using UniqueFont = UniqueHandle<FontTraits>;
using UniqueBrush = UniqueHandle<BrushTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;

}  // namespace tessel
