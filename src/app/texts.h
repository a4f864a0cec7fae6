// app/texts.h: every fixed text the main window, its menu and the two dialogs show. The
// definitions in texts.cpp are code page 932 in the Windows build and UTF-8 elsewhere, so
// byte lengths differ between the two; compare texts, never their sizes. The threshold chart's
// axis texts belong to the chart: threshold/texts.h.
#pragma once

namespace tessel::text {

extern const char ProgramTitle[];   // main window title, About name, message box caption
extern const char CreationTitle[];  // the title until the form sets ProgramTitle
extern const char FontFace[];       // face of the three shared fonts

extern const char MenuFile[];
extern const char MenuFileExit[];
extern const char MenuHelp[];
extern const char MenuHelpAbout[];

extern const char Browse[];  // both browse buttons
extern const char Run[];
extern const char Exit[];   // BtnExit while no run is under way
extern const char Abort[];  // BtnExit during a run
extern const char LabelSource[];
extern const char LabelDestination[];
extern const char LabelKind[];
extern const char RadioSequential[];
extern const char RadioOverwrite[];
extern const char RadioSeparateFolder[];
extern const char GroupDuplicates[];
extern const char GroupThreshold[];
extern const char RadioThresholdNone[];
extern const char RadioThresholdAuto[];
extern const char RadioThresholdManual[];

extern const char KindImages[];  // combobox items, in combobox order
extern const char KindArchives[];
extern const char KindCustom[];

extern const char BrowseSourceTitle[];  // the folder browse dialogs
extern const char BrowseDestinationTitle[];

extern const char LogWelcome[];   // EdtLog after start-up
extern const char HintGeneral[];  // status bar at start and for most commands
extern const char HintSource[];
extern const char HintDestination[];
extern const char HintExtensionsCustom[];
extern const char HintExtensionsPreset[];

extern const char AboutTitle[];
extern const char AboutVersion[];
extern const char AboutHomePage[];
extern const char AboutAuthor[];     // "製作者：" and the author's name
extern const char ThresholdTitle[];  // the threshold dialog's window title
extern const char ThresholdPrompt[];
extern const char ThresholdPixelUnit[];  // after the box
extern const char ThresholdSet[];
extern const char ThresholdCancel[];
extern const char ThresholdPositionCaption[];  // before the readout of the size under the pointer
extern const char ThresholdPositionUnit[];     // after it

}  // namespace tessel::text
