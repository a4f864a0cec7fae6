// app/texts.cpp: compiled with -fexec-charset=CP932 for Windows. Includes nothing that
// pulls in <chrono>: the micro sign in it has no code page 932 byte and stops the build.
#include "app/texts.h"

#include "base/version.h"

namespace tessel::text {

extern const char ProgramTitle[] = "てっせる！";
extern const char CreationTitle[] = "Tessel";
extern const char FontFace[] = "ＭＳ Ｐゴシック";

extern const char MenuFile[] = "ファイル(&F)";
extern const char MenuFileExit[] = "終了(&C)";
extern const char MenuHelp[] = "HELP(&H)";
extern const char MenuHelpAbout[] = "バージョン情報(&A)";

extern const char Browse[] = "参照";
extern const char Run[] = "実行";
extern const char Exit[] = "終了";
extern const char Abort[] = "中断";
extern const char LabelSource[] = "抽出元";
extern const char LabelDestination[] = "コピー先";
extern const char LabelKind[] = "抽出するファイルの種類";
extern const char RadioSequential[] = "連番にファイル名を変更";
extern const char RadioOverwrite[] = "上書きする";
extern const char RadioSeparateFolder[] = "別途フォルダに保存";
extern const char GroupDuplicates[] = "コピー先での重複ファイルの処理";
extern const char GroupThreshold[] = "縦横サイズによる閾値 （画像ファイルにのみ適用）";
extern const char RadioThresholdNone[] = "設定せず";
extern const char RadioThresholdAuto[] = "下限を自動設定";
extern const char RadioThresholdManual[] = "実行毎に手動で設定";

extern const char KindImages[] = "画像";
extern const char KindArchives[] = "圧縮ファイル";
extern const char KindCustom[] = "拡張子で指定";

extern const char BrowseSourceTitle[] = "抽出元のフォルダを指定してください。";
extern const char BrowseDestinationTitle[] =
    "抽出したファイルのコピー先フォルダを指定してください。";

extern const char LogWelcome[] = "抽出元とコピー先を指定して下さい。";
extern const char HintGeneral[] = "抽出元フォルダとコピー先を指定し、実行ボタンを押してください。";
extern const char HintSource[] =
    "ファイルを抽出するフォルダのフルパスを記述してください。※Ｄ＆Ｄでも可です。";
extern const char HintDestination[] =
    "抽出したファイルをコピーするフォルダのフルパスを記述してください。";
extern const char HintExtensionsCustom[] =
    "[拡張子,拡張子,･･･]のように抽出するファイルの拡張子をカンマで区切って記述してください。";
extern const char HintExtensionsPreset[] =
    "任意のファイルを抽出するには「"
    "拡張子で指定"
    "」を指定してください。";

extern const char AboutTitle[] = "バージョン情報";
extern const char AboutVersion[] = "Version " TESSEL_VERSION_STRING;
extern const char AboutHomePage[] = "http://tessel.invalid/";
extern const char AboutAuthor[] =
    "製作者："
    "てっせる！開発チーム";
extern const char ThresholdTitle[] = "下限閾値を設定してください";
extern const char ThresholdPrompt[] = "閾値は？";
extern const char ThresholdPixelUnit[] = "Pixel";
extern const char ThresholdSet[] = "設定する";
extern const char ThresholdCancel[] = "キャンセル";
extern const char ThresholdPositionCaption[] = "現在の位置";
extern const char ThresholdPositionUnit[] = "Pixelあたり（※誤差あります）";

}  // namespace tessel::text
