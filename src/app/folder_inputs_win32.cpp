// app/folder_inputs_win32.cpp: the browse dialog and the drop, on the wide shell calls.
#include "app/folder_inputs_win32.h"

#include <objbase.h>
#include <shlobj.h>

#include <cwchar>
#include <optional>
#include <string>
#include <utility>

#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/drop_path.h"
#include "app/handles_win32.h"
#include "files/code_page.h"
#include "files/path_tests.h"

namespace tessel {
namespace {

// The item list the folder dialog returns belongs to the caller, who frees it with the
// task allocator.
struct ItemListTraits {
    using Raw = PIDLIST_ABSOLUTE;
    static Raw Invalid() { return nullptr; }
    static bool Close(Raw h) {
        ::CoTaskMemFree(h);
        return true;
    }
};
using UniqueItemList = os::UniqueHandle<ItemListTraits>;

// The folder dialog wants COM on this thread; it is released again only when this call was
// the one that started it.
class ComScope {
public:
    ComScope() : started_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (started_) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool started_;
};

// Opens the dialog on the folder that lParam names (a UTF-16 path).
int CALLBACK SelectInitialFolder(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// The existence tests on the window's texts, which the engine takes in UTF-8.
bool IsFolderText(const std::u16string& text) {
    return FolderExists(Utf16ToUtf8(text));
}

// The item list's path, whole: SHGetPathFromIDListEx takes a buffer of any size, where the
// plain call stops at MAX_PATH. None for an item that is no file-system folder.
std::optional<std::u16string> PathOfItem(PCIDLIST_ABSOLUTE item) {
    for (DWORD size = MAX_PATH; size <= 0x8000; size *= 4) {
        std::wstring path(size, L'\0');
        if (::SHGetPathFromIDListEx(item, path.data(), size, GPFIDL_DEFAULT)) {
            path.resize(std::wcslen(path.c_str()));
            return FromWide(path);
        }
        // Too small a buffer and no such folder fail alike: a longer one tells them apart.
    }
    return std::nullopt;
}

}  // namespace

int FolderPicker(HWND owner, const char16_t* title, std::u16string& path) {
    ComScope com;
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = Wide(title);
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    if (IsFolderText(path)) {
        info.lpfn = SelectInitialFolder;
        info.lParam = reinterpret_cast<LPARAM>(Wide(path));
    }
    const UniqueItemList chosen(::SHBrowseForFolderW(&info));
    if (!chosen) return 0;
    // A choice that has no file-system path leaves the field as it was.
    std::optional<std::u16string> chosenPath = PathOfItem(chosen.Get());
    if (!chosenPath) return 0;
    path = std::move(*chosenPath);
    return 1;
}

void BrowseForFolder(HWND window, int fieldId, const char16_t* title) {
    HWND field = Control(window, fieldId);
    std::u16string path = ControlText(field);
    if (FolderPicker(window, title, path) == 1) SetText(field, path);
}

void DropHandler(HWND window, HDROP drop) {
    // The whole path, however deep: the length is asked first.
    const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring dropped(length + 1, L'\0');
    ::DragQueryFileW(drop, 0, dropped.data(), length + 1);
    dropped.resize(std::wcslen(dropped.c_str()));
    ::DragFinish(drop);
    ::DragAcceptFiles(window, FALSE);

    const DroppedFolders folders =
        MapDroppedPath(Utf16ToUtf8(FromWide(dropped)), FolderExists, FileExists, CodePage::Utf8);
    if (folders.source) SetUtf8Text(Control(window, EdtSource), *folders.source);
    if (folders.destination) SetUtf8Text(Control(window, EdtDestination), *folders.destination);
}

}  // namespace tessel
