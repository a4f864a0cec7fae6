#include "app/form_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "app/control_ids.h"
#include "app/texts.h"
#include "job/run_request.h"

namespace tessel {
namespace {

bool Same(std::string_view a, std::string_view b) {
    return a == b;
}

TEST(Hint, EachCommandSelectsItsRow) {
    const struct {
        int command;
        const char* kind;
        const char* hint;
    } cases[] = {
        {EdtSource, text::KindImages, text::HintSource},
        {EdtDestination, text::KindImages, text::HintDestination},
        {EdtExtensions, text::KindCustom, text::HintExtensionsCustom},
        {EdtExtensions, text::KindImages, text::HintExtensionsPreset},
        {EdtExtensions, text::KindArchives, text::HintExtensionsPreset},
        {EdtExtensions, "", text::HintExtensionsPreset},  // no selection: not the custom kind
        {BtnRun, text::KindCustom, text::HintGeneral},    // a click falls in the last row
        {BtnExit, text::KindImages, text::HintGeneral},
        {CmbKind, text::KindCustom, text::HintGeneral},
        {BtnBrowseSource, text::KindImages, text::HintGeneral},
        {MenuAbout, text::KindImages, text::HintGeneral},
        {MenuExit, text::KindImages, text::HintGeneral},
        {0, text::KindImages, text::HintGeneral},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " " << c.kind);
        EXPECT_STREQ(HintFor(c.command, c.kind, &Same), c.hint);
    }
}

TEST(Hint, PresetHintNamesTheCustomKind) {
    EXPECT_NE(std::string(text::HintExtensionsPreset).find(text::KindCustom), std::string::npos);
}

// Drives a selector as the form does: the field shows what the last view said.
struct Form {
    KindSelector selector;
    std::string field = ImageExtensions;
    bool editable = false;
    bool thresholdChoices = true;

    void Select(const char* kind) {
        const auto view = selector.Change(kind, field, &Same);
        ASSERT_TRUE(view.has_value()) << kind;
        if (view->fieldText) field = *view->fieldText;
        editable = view->editable;
        thresholdChoices = view->thresholdChoices;
    }
};

TEST(KindSelector, TypedListComesBackAfterAPresetKind) {
    Form form;
    form.Select(text::KindCustom);
    EXPECT_EQ(form.field, "");  // nothing typed yet
    EXPECT_TRUE(form.editable);
    EXPECT_FALSE(form.thresholdChoices);

    form.field = "txt,doc";
    form.Select(text::KindImages);
    EXPECT_EQ(form.field, ImageExtensions);
    EXPECT_FALSE(form.editable);
    EXPECT_TRUE(form.thresholdChoices);
    EXPECT_EQ(form.selector.SavedCustomList(), "txt,doc");

    form.Select(text::KindArchives);  // a preset list in the field is not saved
    EXPECT_EQ(form.field, ArchiveExtensions);
    EXPECT_FALSE(form.thresholdChoices);
    EXPECT_EQ(form.selector.SavedCustomList(), "txt,doc");

    form.Select(text::KindCustom);
    EXPECT_EQ(form.field, "txt,doc");
    EXPECT_TRUE(form.editable);
}

TEST(KindSelector, PresetListTypedByHandIsNeverSaved) {
    for (const char* typed : {ArchiveExtensions, ImageExtensions}) {
        SCOPED_TRACE(typed);
        Form form;
        form.Select(text::KindCustom);
        form.field = "mp3";
        form.Select(text::KindArchives);
        form.Select(text::KindCustom);
        ASSERT_EQ(form.field, "mp3");
        form.field = typed;
        form.Select(text::KindImages);
        form.Select(text::KindCustom);
        EXPECT_EQ(form.field, "mp3");  // the list saved earlier, not the preset
    }
}

TEST(KindSelector, FieldIsLeftAloneWhenItAlreadyShowsThePreset) {
    KindSelector selector;
    const auto images = selector.Change(text::KindImages, ImageExtensions, &Same);
    ASSERT_TRUE(images);
    EXPECT_FALSE(images->fieldText.has_value());
    EXPECT_TRUE(images->thresholdChoices);
    const auto archives = selector.Change(text::KindArchives, ArchiveExtensions, &Same);
    ASSERT_TRUE(archives);
    EXPECT_FALSE(archives->fieldText.has_value());
    EXPECT_FALSE(archives->thresholdChoices);
    EXPECT_EQ(selector.SavedCustomList(), "");
}

TEST(KindSelector, EmptyTypedListIsSavedToo) {
    Form form;
    form.Select(text::KindCustom);
    form.field = "zip";
    form.Select(text::KindImages);
    form.Select(text::KindCustom);
    form.field = "";
    form.Select(text::KindArchives);
    form.Select(text::KindCustom);
    EXPECT_EQ(form.field, "");
}

TEST(KindSelector, OnlyTheFirst259BytesOfAFieldCount) {
    KindSelector selector;
    const std::string longList(300, 'a');
    selector.Change(text::KindImages, longList, &Same);
    EXPECT_EQ(selector.SavedCustomList(), std::string(259, 'a'));
}

TEST(KindSelector, TextThatNamesNoKindChangesNothing) {
    KindSelector selector;
    EXPECT_FALSE(selector.Change("", "txt", &Same));
    EXPECT_FALSE(selector.Change("画", "txt", &Same));
    EXPECT_EQ(selector.SavedCustomList(), "");
}

TEST(KindSelector, UsesTheGivenComparison) {
    // The window compares by the system locale; whatever it calls equal counts as equal.
    const TextEquals anyCase = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    KindSelector selector;
    const auto view = selector.Change(text::KindImages, "JPEG,JPG,GIF,PNG,BMP", anyCase);
    ASSERT_TRUE(view);
    EXPECT_FALSE(view->fieldText.has_value());
    EXPECT_EQ(selector.SavedCustomList(), "");
}

}  // namespace
}  // namespace tessel
