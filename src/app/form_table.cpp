// app/form_table.cpp: the tables of form_table.h. Captions point into the text table.
#include "app/form_table.h"

#include "app/control_ids.h"
#include "app/texts.h"
#include "job/extraction_job.h"
#include "job/run_request.h"

namespace tessel {
namespace {

constexpr std::uint32_t Edit = 0x50000080;        // visible child, ES_AUTOHSCROLL
constexpr std::uint32_t Push = 0x50000000;        // visible child, BS_PUSHBUTTON
constexpr std::uint32_t Label = 0x50000000;       // visible child, SS_LEFT
constexpr std::uint32_t FirstRadio = 0x50020009;  // WS_GROUP, BS_AUTORADIOBUTTON
constexpr std::uint32_t Radio = 0x50000009;       // BS_AUTORADIOBUTTON
constexpr std::uint32_t Frame = 0x50000007;       // BS_GROUPBOX
constexpr std::uint32_t ClientEdge = 0x200;       // WS_EX_CLIENTEDGE
constexpr std::uint32_t StaticEdge = 0x20000;     // WS_EX_STATICEDGE

constexpr ControlSpec mainControls[] = {
    {EdtSource, u"EDIT", u"", Edit, ClientEdge, 75, 10, 352, 27},
    {EdtDestination, u"EDIT", u"", Edit, ClientEdge, 75, 51, 351, 27},
    {BtnBrowseSource, u"BUTTON", text::Browse, Push, 0, 445, 12, 52, 26},
    {BtnBrowseDestination, u"BUTTON", text::Browse, Push, 0, 445, 49, 54, 28},
    {CmbKind, u"COMBOBOX", u"", 0x50200003 /* WS_VSCROLL, CBS_DROPDOWNLIST */, 0, 137, 106, 100,
     60},
    {EdtExtensions, u"EDIT", u"", Edit, ClientEdge, 245, 107, 253, 19},
    {EdtLog, u"EDIT", u"", 0x50300804 /* scroll bars, ES_READONLY, ES_MULTILINE */, ClientEdge, 13,
     222, 479, 95},
    {BtnRun, u"BUTTON", text::Run, Push, 0, 98, 364, 96, 28},
    {BtnExit, u"BUTTON", text::Exit, Push, 0, 283, 365, 88, 24},
    {PrgProgress, u"msctls_progress32", u"", 0x50000000, StaticEdge, 12, 320, 482, 28},
    {LblSource, u"STATIC", text::LabelSource, Label, 0, 11, 10, 46, 17},
    {LblDestination, u"STATIC", text::LabelDestination, Label, 0, 11, 51, 51, 21},
    {LblKind, u"STATIC", text::LabelKind, Label, 0, 9, 105, 127, 16},
    {RadSequential, u"BUTTON", text::RadioSequential, FirstRadio, 0, 29, 150, 142, 15},
    {RadOverwrite, u"BUTTON", text::RadioOverwrite, Radio, 0, 203, 150, 84, 22},
    {RadSeparateFolder, u"BUTTON", text::RadioSeparateFolder, Radio, 0, 341, 153, 130, 16},
    {GrpDuplicates, u"BUTTON", text::GroupDuplicates, Frame, 0, 10, 134, 486, 41},
    {GrpThreshold, u"BUTTON", text::GroupThreshold, Frame, 0, 9, 179, 491, 37},
    {RadThresholdNone, u"BUTTON", text::RadioThresholdNone, FirstRadio, 0, 30, 196, 77, 16},
    {RadThresholdAuto, u"BUTTON", text::RadioThresholdAuto, Radio, 0, 203, 192, 102, 19},
    {RadThresholdManual, u"BUTTON", text::RadioThresholdManual, Radio, 0, 341, 196, 126, 17},
};

constexpr ControlSpec aboutControls[] = {
    {LblAboutName, u"STATIC", text::ProgramTitle, 0x50000001 /* SS_CENTER */, 0, 106, 16, 129, 24},
    {LblAboutVersion, u"STATIC", text::AboutVersion, 0x50000001, 0, 112, 42, 126, 31},
    {EdtAboutHomePage, u"EDIT", text::AboutHomePage, 0x50000800 /* ES_READONLY, no border */, 0, 18,
     78, 314, 22},
    {BtnAboutOk, u"BUTTON", u"OK", Push, 0, 128, 148, 79, 24},
    {IcoAboutIcon, u"STATIC", u"", 0x50000003 /* SS_ICON */, 0, 42, 25, 32, 32},
    // 250 wide, not 160: "製作者：てっせる！開発チーム" in AboutFont needs about 240 pixels, and
    // a narrower label wraps the team's name onto a second line that the height hides.
    {LblAboutAuthor, u"STATIC", text::AboutAuthor, Label, 0, 94, 111, 250, 22},
};

constexpr KindPreset kinds[] = {
    {text::KindImages, ExtensionPresets[0].extensions, ExtensionPresets[0].imageKind},
    {text::KindArchives, ExtensionPresets[1].extensions, ExtensionPresets[1].imageKind},
    {text::KindCustom, nullptr, false},
};

constexpr OptionRadio optionRadios[] = {
    {RadSequential, Numbered},           {RadOverwrite, Overwrite},
    {RadSeparateFolder, SeparateFolder}, {RadThresholdNone, ThresholdNone},
    {RadThresholdAuto, ThresholdAuto},   {RadThresholdManual, ThresholdManual},
};

constexpr int runLockedControls[] = {
    BtnBrowseSource, BtnBrowseDestination, EdtSource, EdtDestination,
    CmbKind,         EdtExtensions,        BtnRun};

constexpr DialogSpec dialogs[] = {
    {AboutDialogId, text::AboutTitle, 361, 231},
    {ThresholdDialogId, text::ThresholdTitle, 480, 360},
};

}  // namespace

std::span<const ControlSpec> MainFormControls() {
    return mainControls;
}

std::span<const ControlSpec> AboutControls() {
    return aboutControls;
}

std::span<const OptionRadio> OptionRadios() {
    return optionRadios;
}

std::span<const int> RunLockedControls() {
    return runLockedControls;
}

std::span<const KindPreset> KindPresets() {
    return kinds;
}

const DialogSpec* FindDialog(std::string_view identifier) {
    for (const DialogSpec& d : dialogs) {
        if (identifier == d.identifier) return &d;
    }
    return nullptr;
}

}  // namespace tessel
