// app/texts.h: every fixed text the main window, its menu and the two dialogs show, as
// UTF-16 literals, which the window hands to the wide calls as they are: the Japanese shows
// right on a Windows of any ANSI code page. The threshold chart's axis texts belong to the
// chart (threshold/texts.h), the run's status lines and messages to the job (job/texts.h).
#pragma once

namespace tessel::text {

extern const char16_t ProgramTitle[];   // main window title, About name, message box caption
extern const char16_t CreationTitle[];  // the title until the form sets ProgramTitle
extern const char16_t FontFace[];       // face of the three shared fonts

extern const char16_t MenuFile[];
extern const char16_t MenuFileExit[];
extern const char16_t MenuHelp[];
extern const char16_t MenuHelpAbout[];

extern const char16_t Browse[];  // both browse buttons
extern const char16_t Run[];
extern const char16_t Exit[];   // BtnExit while no run is under way
extern const char16_t Abort[];  // BtnExit during a run
extern const char16_t LabelSource[];
extern const char16_t LabelDestination[];
extern const char16_t LabelKind[];
extern const char16_t RadioSequential[];
extern const char16_t RadioOverwrite[];
extern const char16_t RadioSeparateFolder[];
extern const char16_t GroupDuplicates[];
extern const char16_t GroupThreshold[];
extern const char16_t RadioThresholdNone[];
extern const char16_t RadioThresholdAuto[];
extern const char16_t RadioThresholdManual[];

extern const char16_t KindImages[];  // combobox items, in combobox order
extern const char16_t KindArchives[];
extern const char16_t KindCustom[];

extern const char16_t BrowseSourceTitle[];  // the folder browse dialogs
extern const char16_t BrowseDestinationTitle[];

extern const char16_t LogWelcome[];   // EdtLog after start-up
extern const char16_t HintGeneral[];  // status bar at start and for most commands
extern const char16_t HintSource[];
extern const char16_t HintDestination[];
extern const char16_t HintExtensionsCustom[];
extern const char16_t HintExtensionsPreset[];

extern const char16_t AboutTitle[];
extern const char16_t AboutVersion[];
extern const char16_t AboutHomePage[];
extern const char16_t AboutAuthor[];     // "製作者：" and the author's name
extern const char16_t ThresholdTitle[];  // the threshold dialog's window title
extern const char16_t ThresholdPrompt[];
extern const char16_t ThresholdPixelUnit[];  // after the box
extern const char16_t ThresholdSet[];
extern const char16_t ThresholdCancel[];
extern const char16_t
    ThresholdPositionCaption[];                 // before the readout of the size under the pointer
extern const char16_t ThresholdPositionUnit[];  // after it

}  // namespace tessel::text
