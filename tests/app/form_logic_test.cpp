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

bool Same(std::u16string_view a, std::u16string_view b) {
    return a == b;
}

// The ASCII preset lists as the field holds them.
std::u16string U(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}
const std::u16string Images = U(ImageExtensions);
const std::u16string Archives = U(ArchiveExtensions);

TEST(Hint, EachCommandSelectsItsRow) {
    const struct {
        int command;
        const char16_t* kind;
        const char16_t* hint;
    } cases[] = {
        {EdtSource, text::KindImages, text::HintSource},
        {EdtDestination, text::KindImages, text::HintDestination},
        {EdtExtensions, text::KindCustom, text::HintExtensionsCustom},
        {EdtExtensions, text::KindImages, text::HintExtensionsPreset},
        {EdtExtensions, text::KindArchives, text::HintExtensionsPreset},
        {EdtExtensions, u"", text::HintExtensionsPreset},  // no selection: not the custom kind
        {BtnRun, text::KindCustom, text::HintGeneral},     // a click falls in the last row
        {BtnExit, text::KindImages, text::HintGeneral},
        {CmbKind, text::KindCustom, text::HintGeneral},
        {BtnBrowseSource, text::KindImages, text::HintGeneral},
        {MenuAbout, text::KindImages, text::HintGeneral},
        {MenuExit, text::KindImages, text::HintGeneral},
        {0, text::KindImages, text::HintGeneral},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " " << testing::PrintToString(c.kind));
        EXPECT_EQ(std::u16string_view(HintFor(c.command, c.kind, &Same)), c.hint);
    }
}

TEST(Hint, PresetHintNamesTheCustomKind) {
    EXPECT_NE(std::u16string(text::HintExtensionsPreset).find(text::KindCustom),
              std::u16string::npos);
}

// Drives a selector as the form does: the field shows what the last view said.
struct Form {
    KindSelector selector;
    std::u16string field = Images;
    bool editable = false;
    bool thresholdChoices = true;

    void Select(const char16_t* kind) {
        const auto view = selector.Change(kind, field, &Same);
        ASSERT_TRUE(view.has_value()) << testing::PrintToString(kind);
        if (view->fieldText) field = *view->fieldText;
        editable = view->editable;
        thresholdChoices = view->thresholdChoices;
    }
};

TEST(KindSelector, TypedListComesBackAfterAPresetKind) {
    Form form;
    form.Select(text::KindCustom);
    EXPECT_EQ(form.field, u"");  // nothing typed yet
    EXPECT_TRUE(form.editable);
    EXPECT_FALSE(form.thresholdChoices);

    form.field = u"txt,doc";
    form.Select(text::KindImages);
    EXPECT_EQ(form.field, Images);
    EXPECT_FALSE(form.editable);
    EXPECT_TRUE(form.thresholdChoices);
    EXPECT_EQ(form.selector.SavedCustomList(), u"txt,doc");

    form.Select(text::KindArchives);  // a preset list in the field is not saved
    EXPECT_EQ(form.field, Archives);
    EXPECT_FALSE(form.thresholdChoices);
    EXPECT_EQ(form.selector.SavedCustomList(), u"txt,doc");

    form.Select(text::KindCustom);
    EXPECT_EQ(form.field, u"txt,doc");
    EXPECT_TRUE(form.editable);
}

TEST(KindSelector, PresetListTypedByHandIsNeverSaved) {
    for (const char* typed : {ArchiveExtensions, ImageExtensions}) {
        SCOPED_TRACE(typed);
        Form form;
        form.Select(text::KindCustom);
        form.field = u"mp3";
        form.Select(text::KindArchives);
        form.Select(text::KindCustom);
        ASSERT_EQ(form.field, u"mp3");
        form.field = U(typed);
        form.Select(text::KindImages);
        form.Select(text::KindCustom);
        EXPECT_EQ(form.field, u"mp3");  // the list saved earlier, not the preset
    }
}

TEST(KindSelector, FieldIsLeftAloneWhenItAlreadyShowsThePreset) {
    KindSelector selector;
    const auto images = selector.Change(text::KindImages, Images, &Same);
    ASSERT_TRUE(images);
    EXPECT_FALSE(images->fieldText.has_value());
    EXPECT_TRUE(images->thresholdChoices);
    const auto archives = selector.Change(text::KindArchives, Archives, &Same);
    ASSERT_TRUE(archives);
    EXPECT_FALSE(archives->fieldText.has_value());
    EXPECT_FALSE(archives->thresholdChoices);
    EXPECT_EQ(selector.SavedCustomList(), u"");
}

TEST(KindSelector, EmptyTypedListIsSavedToo) {
    Form form;
    form.Select(text::KindCustom);
    form.field = u"zip";
    form.Select(text::KindImages);
    form.Select(text::KindCustom);
    form.field = u"";
    form.Select(text::KindArchives);
    form.Select(text::KindCustom);
    EXPECT_EQ(form.field, u"");
}

TEST(KindSelector, OnlyTheFirst259BytesOfAFieldCount) {
    KindSelector selector;
    const std::u16string longList(300, u'a');
    selector.Change(text::KindImages, longList, &Same);
    EXPECT_EQ(selector.SavedCustomList(), std::u16string(259, u'a'));
}

TEST(FieldText, TakesThe259BytesOfCodePage932ThatAJapaneseWindowsTook) {
    // 表 and é are two bytes there, ｱ (half-width) one, and 😀, which it lacks, one: the "?"
    // it was. A character that the limit would cut through is left out whole.
    const std::u16string kanji(200, u'表');
    const std::u16string emoji = [] {
        std::u16string e;
        for (int i = 0; i < 300; ++i) e += u"😀";
        return e;
    }();
    const struct {
        const char* what;
        std::u16string text;
        std::u16string taken;
    } cases[] = {
        {"short: whole", u"C:\\café 사진 😀", u"C:\\café 사진 😀"},
        {"ASCII: 259", std::u16string(300, u'a'), std::u16string(259, u'a')},
        {"kanji: 129, the 130th would end past the limit", kanji, kanji.substr(0, 129)},
        {"one ASCII first: 1 + 129 x 2 = 259", u"a" + kanji, u"a" + kanji.substr(0, 129)},
        {"half-width katakana: one byte each", std::u16string(300, u'ｱ'),
         std::u16string(259, u'ｱ')},
        {"emoji: one each, two UTF-16 units each", emoji, emoji.substr(0, 2 * 259)},
        {"exactly 259: whole", std::u16string(259, u'x'), std::u16string(259, u'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FieldText(c.text), c.taken);
    }
}

TEST(KindSelector, TextThatNamesNoKindChangesNothing) {
    KindSelector selector;
    EXPECT_FALSE(selector.Change(u"", u"txt", &Same));
    EXPECT_FALSE(selector.Change(u"画", u"txt", &Same));
    EXPECT_EQ(selector.SavedCustomList(), u"");
}

TEST(KindSelector, UsesTheGivenComparison) {
    // The window compares by the system locale; whatever it calls equal counts as equal.
    const TextEquals anyCase = [](std::u16string_view a, std::u16string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
                   return (x < 0x80 ? std::tolower(x) : x) == (y < 0x80 ? std::tolower(y) : y);
               });
    };
    KindSelector selector;
    const auto view = selector.Change(text::KindImages, u"JPEG,JPG,GIF,PNG,BMP", anyCase);
    ASSERT_TRUE(view);
    EXPECT_FALSE(view->fieldText.has_value());
    EXPECT_EQ(selector.SavedCustomList(), u"");
}

}  // namespace
}  // namespace tessel
