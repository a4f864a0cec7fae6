// app/form_logic.h: the decisions of the main form that do not need a window: which hint the
// status bar shows for a command, how much of a control's text the form takes, and what the
// kind selector does to the extension field and the threshold radios. The window procedure
// reads the controls (UTF-16, as the wide calls give them), asks, and applies.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// How texts read from controls are compared with the program's own: the window passes an
// exact comparison by the system locale (CompareStringW, no flags); tests pass plain ==.
using TextEquals = bool (*)(std::u16string_view, std::u16string_view);

// The longest text a control yields to the form: it read into 260-byte buffers, in code page
// 932 on a Japanese Windows.
inline constexpr std::size_t ControlTextLimit = 259;

// What the form takes of a control's text: its first ControlTextLimit bytes as code page 932
// counts them, whole characters only (a character that code page lacks counts one byte, the
// "?" it was). So a field holds as much on any Windows as on a Japanese one, and every name
// in it, whatever its characters, arrives whole.
std::u16string FieldText(std::u16string_view text);

// The status-bar hint for a WM_COMMAND whose low word is `commandId` (any notification
// code), while the kind selector shows `kindText`.
const char16_t* HintFor(int commandId, std::u16string_view kindText, TextEquals equal);

// The run's options word from the option radios: the bit of every checked one.
std::uint32_t OptionsFromRadios(const std::function<bool(int id)>& checked);

// What the form shows after a kind change.
struct KindView {
    std::optional<std::u16string> fieldText;  // new text of EdtExtensions; none: leave it
    bool editable = false;                    // EdtExtensions accepts typing
    // true: the automatic and manual bounds are enabled, checks left as they are;
    // false: "none" is checked, the other two are unchecked and disabled.
    bool thresholdChoices = false;
};

// The kind selector with the list the user typed for "拡張子で指定", which is kept while a
// preset kind is shown. A field that holds either preset list never overwrites it.
class KindSelector {
public:
    // The selector now shows `kindText`; `fieldText` is what EdtExtensions holds. No view
    // for a text that names no kind.
    std::optional<KindView> Change(std::u16string_view kindText, std::u16string_view fieldText,
                                   TextEquals equal);
    const std::u16string& SavedCustomList() const { return savedCustomList_; }
    void Reset() { savedCustomList_.clear(); }

private:
    std::u16string savedCustomList_;
};

}  // namespace tessel
