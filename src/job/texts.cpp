// job/texts.cpp: UTF-8 source; the status lines stay UTF-8, the messages are UTF-16.
#include "job/texts.h"

namespace tessel::text {

const char StatusSearching[] = "抽出ファイルを検索しています･･･";
const char StatusCalculating[] = "\r\n\r\n合計ファイルサイズと重複ファイル数を算出中･･･";

const char SummaryNoBound[] =
    "抽出ファイルが%u個見つかりました。%c%c合計ファイルサイズ：%uKByte%c%c重複ファイル：%u個%c%c"
    "ファイル縦横サイズ閾値設定：なし";
const char SummaryAutoFailed[] =
    "抽出ファイルが%u個見つかりました。%c%c合計ファイルサイズ：%uKByte%c%c重複ファイル：%u個%c%c"
    "ファイル縦横サイズ閾値設定：なし（自動設定に失敗しました）";
const char SummaryAutoBound[] =
    "抽出ファイルが%u個見つかりました。%c%c合計ファイルサイズ：%uKByte%c%c重複ファイル：%u個%c%c"
    "抽出するファイル縦横サイズの下限：自動設定[ %ux%u Pixel ]";
const char SummaryManualBound[] =
    "抽出ファイルが%u個見つかりました。%c%c合計ファイルサイズ：%uKByte%c%c重複ファイル：%u個%c%c"
    "抽出するファイル縦横サイズの下限：手動設定[ %ux%u Pixel ]";

const char StatusCopying[] = "%s%c%c%c%cコピーしています･･･%c%c%s";
const char StatusFinished[] =
    "%s%c%c実際に保存されたファイル数：%u個（※同名かつ同サイズのファイルは上書きしません）%c%c%c%c"
    "抽出を終了しました。";

const char PreviousRun[] = "直前の処理%c%c----------------------------------------%c%c%s%c%c%s";

const char DryRun[] = "dry run";
const char SizeUnknown[] = "size unknown";
const char SourceStays[] = "the source stays: ";
const char NotVerified[] = "not verified: ";
const char WhyStopped[] = "the run was stopped";
const char WhyDestinationGone[] = "the destination folder is gone";
const char WhyNotFlushed[] = "the copy could not be flushed to the disk: ";
const char NotRemovedAfterAll[] = "; it could not be removed: ";
const char MovedHereByThisRun[] =
    "a file this run moved here has that name, and replacing it would lose it";

const char16_t SourceFolderInvalid[] = u"抽出元フォルダの指定が不正です。";
const char16_t DestinationFolderInvalid[] = u"コピー先フォルダの指定が不正です。";
const char16_t CreateDestinationQuestion[] = u"コピー先フォルダは存在しません。作成しますか？";

}  // namespace tessel::text
