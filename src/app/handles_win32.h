// app/handles_win32.h: ownership of the Win32 handles the shell creates. Each kind names
// its release call and its empty value; the owner is move-only, so a handle is released
// exactly once. Controls never own the fonts they are given: fonts outlive the windows.
#pragma once

#include <windows.h>

#include "files/os/unique_handle_win32.h"

namespace tessel {

using os::UniqueHandle;

// Fonts, brushes, pens and bitmaps: what DeleteObject releases.
template <typename Object>
struct GdiObjectTraits {
    using Raw = Object;
    static Raw Invalid() { return nullptr; }
    static bool Close(Raw h) { return ::DeleteObject(h) != 0; }
};
// Destroying a menu destroys the pop-ups attached to it as well.
struct MenuTraits {
    using Raw = HMENU;
    static Raw Invalid() { return nullptr; }
    static bool Close(Raw h) { return ::DestroyMenu(h) != 0; }
};
struct IconTraits {
    using Raw = HICON;
    static Raw Invalid() { return nullptr; }
    static bool Close(Raw h) { return ::DestroyIcon(h) != 0; }
};

using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;

}  // namespace tessel
