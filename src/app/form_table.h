// app/form_table.h: what the main window and the About dialog are made of, as data: each
// control's identifier, class, caption, styles and creation rectangle, the kinds of the
// kind selector, and the known modal dialogs. The Win32 code walks these tables; the tests
// compare the real windows with them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tessel {

// Class names and captions are UTF-16, as the wide calls take them.
struct ControlSpec {
    int id;
    const char16_t* className;
    const char16_t* caption;  // never null; u"" for none
    std::uint32_t style;
    std::uint32_t exStyle;
    int x, y, width, height;
};

// The controls 1000 to 1020 of the main window in creation order (the status bar is made
// apart, by the common controls' own call).
std::span<const ControlSpec> MainFormControls();

// The six controls of the About dialog, in creation order.
std::span<const ControlSpec> AboutControls();

inline constexpr std::uint32_t StatusBarStyle = 0x50000003;   // visible child, CCS_BOTTOM
inline constexpr std::uint32_t MainWindowStyle = 0x10CF0000;  // visible, WS_OVERLAPPEDWINDOW
inline constexpr std::uint32_t MainWindowExStyle = 0x10;      // WS_EX_ACCEPTFILES
inline constexpr int MainWindowCreationWidth = 515;
inline constexpr int MainWindowCreationHeight = 455;
inline constexpr std::uint32_t DialogStyle = 0x00C80000;  // WS_CAPTION | WS_SYSMENU, hidden
inline constexpr std::uint32_t ClassStyle = 0x0B;         // CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS

// The shared fonts' heights at 96 DPI (negative: the height of the characters, without the
// leading above them); each window scales them to its own DPI.
inline constexpr int FormFontHeight = -12;
inline constexpr int AboutFontHeight = -19;
inline constexpr int ThresholdFontHeight = -16;

// The option radios and the bit of the job's options word each one sets when checked.
struct OptionRadio {
    int id;
    std::uint32_t bit;
};
std::span<const OptionRadio> OptionRadios();

// The controls a run disables and its end enables again: the folder fields, the browse
// buttons, the kind, the extension list and Run. The option radios stay enabled.
std::span<const int> RunLockedControls();

// One entry of the kind selector, in combobox order.
struct KindPreset {
    const char16_t* label;
    const char* extensions;  // ASCII; null: the user's own list
    bool thresholdChoices;   // the automatic and manual bounds may be chosen
};
std::span<const KindPreset> KindPresets();

// The two window classes: the modal dialogs' and the main window's.
inline constexpr char16_t DialogClassName[] = u"NORMALDLG";
inline constexpr char16_t MainClassName[] = u"NORMAL0";

// A dialog that the modal runner knows by its identifier.
struct DialogSpec {
    const char* identifier;
    const char16_t* title;
    int width, height;  // outer size at 96 DPI
};
inline constexpr char AboutDialogId[] = "DigVersionInfo";
inline constexpr char ThresholdDialogId[] = "DigGetThreshold";
// The dialog named exactly `identifier`, or null for any other name.
const DialogSpec* FindDialog(std::string_view identifier);

}  // namespace tessel
