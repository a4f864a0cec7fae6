// app/control_ids.h: the identifiers by which every part of the program reaches the controls
// of the main window and the two dialogs, the menu commands and the icon. Plain C++, no
// Windows headers, so the portable form tables and their tests use the same names.
#pragma once

namespace tessel {

// Main window controls, in creation order. Other subsystems (run request, progress
// monitor, folder inputs) address the controls by these numbers through the main window.
enum ControlId : int {
    EdtSource = 1000,
    EdtDestination = 1001,
    BtnBrowseSource = 1002,
    BtnBrowseDestination = 1003,
    CmbKind = 1004,
    EdtExtensions = 1005,
    EdtLog = 1006,
    BtnRun = 1007,
    BtnExit = 1008,
    PrgProgress = 1009,
    LblSource = 1010,
    LblDestination = 1011,
    LblKind = 1012,
    RadSequential = 1013,
    RadOverwrite = 1014,
    RadSeparateFolder = 1015,
    GrpDuplicates = 1016,
    GrpThreshold = 1017,
    RadThresholdNone = 1018,
    RadThresholdAuto = 1019,
    RadThresholdManual = 1020,
    StatusBar = 1025,
};

// About dialog controls. 1025 repeats the status bar's number; they live in different windows.
enum AboutControlId : int {
    LblAboutName = 1021,
    LblAboutVersion = 1022,
    EdtAboutHomePage = 1023,
    BtnAboutOk = 1024,
    IcoAboutIcon = 1025,
    LblAboutAuthor = 1026,
};

// Threshold dialog controls, in creation order.
enum ThresholdControlId : int {
    LblThresholdPrompt = 1027,
    EdtThreshold = 1028,
    LblPixelUnit = 1029,
    BtnSetThreshold = 1030,
    BtnCancelThreshold = 1031,
    LblPositionValue = 1032,
    LblPositionUnit = 1033,
    LblPositionCaption = 1034,
};

enum MenuCommand : int {
    MenuExit = 1035,
    MenuAbout = 1036,
};

inline constexpr int ProgramIconId = 101;
inline constexpr unsigned ProgressTimerId = 1024;

}  // namespace tessel
