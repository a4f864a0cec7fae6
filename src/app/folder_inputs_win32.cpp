#include "app/folder_inputs_win32.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/drop_path.h"
#include "app/handles_win32.h"
#include "files/path_tests.h"
#include "job/run_request.h"

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

// Opens the dialog on the folder that lParam names.
int CALLBACK SelectInitialFolder(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

// The existence tests on texts of the window's fields (code page 932).
bool IsFolderText(const std::string& text) {
    return FolderExists(FromWindowText(text));
}
bool IsFileText(const std::string& text) {
    return FileExists(FromWindowText(text));
}

}  // namespace

int FolderPicker(HWND owner, const char* title, char* path) {
    ComScope com;
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    if (IsFolderText(path)) {
        info.lpfn = SelectInitialFolder;
        info.lParam = reinterpret_cast<LPARAM>(path);
    }
    const UniqueItemList chosen(::SHBrowseForFolderA(&info));
    if (!chosen) return 0;
    // A choice that has no file-system path leaves the field as it was.
    char chosenPath[MAX_PATH] = {};
    if (!::SHGetPathFromIDListA(chosen.Get(), chosenPath)) return 0;
    std::memcpy(path, chosenPath, MAX_PATH);
    return 1;
}

void BrowseForFolder(HWND window, int fieldId, const char* title) {
    HWND field = Control(window, fieldId);
    char path[MAX_PATH] = {};
    ::GetWindowTextA(field, path, MAX_PATH);
    if (FolderPicker(window, title, path) == 1) ::SetWindowTextA(field, path);
}

void DropHandler(HWND window, HDROP drop) {
    char dropped[MAX_PATH + 1] = {};
    ::DragQueryFileA(drop, 0, dropped, MAX_PATH);
    ::DragFinish(drop);
    ::DragAcceptFiles(window, FALSE);

    const DroppedFolders folders =
        MapDroppedPath(dropped, IsFolderText, IsFileText, CodePage::Cp932);
    if (folders.source) ::SetWindowTextA(Control(window, EdtSource), folders.source->c_str());
    if (folders.destination) {
        ::SetWindowTextA(Control(window, EdtDestination), folders.destination->c_str());
    }
}

}  // namespace tessel
