// tests/win32/form_texts.h: the window's fixed texts spelled out here, not taken from the text
// table (a table that went wrong would pass any test that compares the window with it), for
// the tests that read the window back: in its own process (win32/) and from another (e2e/).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/control_ids.h"

namespace tessel::test {

struct Caption {
    int id;
    const char* text;
};

// The form's labels, frames, buttons and fields as the window opens.
inline constexpr Caption FormCaptions[] = {
    {BtnBrowseSource, "参照"},
    {BtnBrowseDestination, "参照"},
    {BtnRun, "実行"},
    {BtnExit, "終了"},
    {LblSource, "抽出元"},
    {LblDestination, "コピー先"},
    {LblKind, "抽出するファイルの種類"},
    {RadSequential, "連番にファイル名を変更"},
    {RadOverwrite, "上書きする"},
    {RadSeparateFolder, "別途フォルダに保存"},
    {GrpDuplicates, "コピー先での重複ファイルの処理"},
    {GrpThreshold, "縦横サイズによる閾値 （画像ファイルにのみ適用）"},
    {RadThresholdNone, "設定せず"},
    {RadThresholdAuto, "下限を自動設定"},
    {RadThresholdManual, "実行毎に手動で設定"},
    {EdtLog, "抽出元とコピー先を指定して下さい。"},
    {CmbKind, "画像"},
};

// The log after a run over `source` that found and saved `files` files: the run's block
// comes first, and it says how many were saved.
inline void ExpectRunLog(const std::string& log, const std::string& source, int files) {
    const std::string count = std::to_string(files) + "個";
    EXPECT_EQ(log.rfind("直前の処理\r\n" + std::string(40, '-') + "\r\n" + source +
                            "\r\n抽出ファイルが" + count + "見つかりました。",
                        0),
              0u)
        << log;
    EXPECT_NE(log.find("実際に保存されたファイル数：" + count), std::string::npos) << log;
}

}  // namespace tessel::test
