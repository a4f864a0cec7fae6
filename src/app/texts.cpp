// app/texts.cpp: UTF-8 source, UTF-16 texts.
#include "app/texts.h"

#include "base/version.h"

namespace tessel::text {

extern const char16_t ProgramTitle[] = u"てっせる！";
extern const char16_t CreationTitle[] = u"Tessel";
extern const char16_t FontFace[] = u"ＭＳ Ｐゴシック";

extern const char16_t MenuFile[] = u"ファイル(&F)";
extern const char16_t MenuFileExit[] = u"終了(&C)";
extern const char16_t MenuHelp[] = u"HELP(&H)";
extern const char16_t MenuHelpAbout[] = u"バージョン情報(&A)";

extern const char16_t Browse[] = u"参照";
extern const char16_t Run[] = u"実行";
extern const char16_t Exit[] = u"終了";
extern const char16_t Abort[] = u"中断";
extern const char16_t LabelSource[] = u"抽出元";
extern const char16_t LabelDestination[] = u"コピー先";
extern const char16_t LabelKind[] = u"抽出するファイルの種類";
extern const char16_t RadioSequential[] = u"連番にファイル名を変更";
extern const char16_t RadioOverwrite[] = u"上書きする";
extern const char16_t RadioSeparateFolder[] = u"別途フォルダに保存";
extern const char16_t GroupDuplicates[] = u"コピー先での重複ファイルの処理";
extern const char16_t GroupThreshold[] = u"縦横サイズによる閾値 （画像ファイルにのみ適用）";
extern const char16_t RadioThresholdNone[] = u"設定せず";
extern const char16_t RadioThresholdAuto[] = u"下限を自動設定";
extern const char16_t RadioThresholdManual[] = u"実行毎に手動で設定";

extern const char16_t KindImages[] = u"画像";
extern const char16_t KindArchives[] = u"圧縮ファイル";
extern const char16_t KindCustom[] = u"拡張子で指定";

extern const char16_t BrowseSourceTitle[] = u"抽出元のフォルダを指定してください。";
extern const char16_t BrowseDestinationTitle[] =
    u"抽出したファイルのコピー先フォルダを指定してください。";

extern const char16_t LogWelcome[] = u"抽出元とコピー先を指定して下さい。";
extern const char16_t HintGeneral[] =
    u"抽出元フォルダとコピー先を指定し、実行ボタンを押してください。";
extern const char16_t HintSource[] =
    u"ファイルを抽出するフォルダのフルパスを記述してください。※Ｄ＆Ｄでも可です。";
extern const char16_t HintDestination[] =
    u"抽出したファイルをコピーするフォルダのフルパスを記述してください。";
extern const char16_t HintExtensionsCustom[] =
    u"[拡張子,拡張子,･･･]のように抽出するファイルの拡張子をカンマで区切って記述してください。";
extern const char16_t HintExtensionsPreset[] =
    u"任意のファイルを抽出するには「"
    "拡張子で指定"
    "」を指定してください。";

extern const char16_t AboutTitle[] = u"バージョン情報";
extern const char16_t AboutVersion[] = u"Version " TESSEL_VERSION_STRING;
extern const char16_t AboutHomePage[] = u"http://tessel.invalid/";
extern const char16_t AboutAuthor[] =
    u"製作者："
    "てっせる！開発チーム";
extern const char16_t ThresholdTitle[] = u"下限閾値を設定してください";
extern const char16_t ThresholdPrompt[] = u"閾値は？";
extern const char16_t ThresholdPixelUnit[] = u"Pixel";
extern const char16_t ThresholdSet[] = u"設定する";
extern const char16_t ThresholdCancel[] = u"キャンセル";
extern const char16_t ThresholdPositionCaption[] = u"現在の位置";
extern const char16_t ThresholdPositionUnit[] = u"Pixelあたり（※誤差あります）";

}  // namespace tessel::text
