#include "app/form_table.h"

#include <gtest/gtest.h>

#include <string_view>

#include "app/control_ids.h"
#include "app/texts.h"

namespace tessel {
namespace {

TEST(FormTable, ControlsAreMadeInIdentifierOrder) {
    int expected = EdtSource;
    for (const ControlSpec& c : MainFormControls()) EXPECT_EQ(c.id, expected++);
    EXPECT_EQ(expected, RadThresholdManual + 1);
}

TEST(FormTable, EachRadioGroupStartsWithItsOwnGroupStyle) {
    // Auto radio buttons uncheck the others up to the next WS_GROUP: 1013 and 1018 start
    // the two groups and no other radio may, or one group would split in two.
    constexpr std::uint32_t Group = 0x00020000, TypeMask = 0xF;
    for (const ControlSpec& c : MainFormControls()) {
        if ((c.style & TypeMask) != 9) continue;  // BS_AUTORADIOBUTTON
        SCOPED_TRACE(c.id);
        const bool first = c.id == RadSequential || c.id == RadThresholdNone;
        EXPECT_EQ((c.style & Group) != 0, first);
    }
}

TEST(FormTable, KindsInComboboxOrder) {
    const auto kinds = KindPresets();
    ASSERT_EQ(kinds.size(), 3u);
    EXPECT_EQ(std::u16string_view(kinds[0].label), text::KindImages);
    EXPECT_STREQ(kinds[0].extensions, "jpeg,jpg,gif,png,bmp");
    EXPECT_TRUE(kinds[0].thresholdChoices);
    EXPECT_STREQ(kinds[1].extensions, "lzh,lha,zip,cab,gz,tar,cpt");
    EXPECT_FALSE(kinds[1].thresholdChoices);
    EXPECT_EQ(kinds[2].extensions, nullptr);
}

TEST(FormTable, DialogsAreFoundByTheirExactIdentifier) {
    const DialogSpec* about = FindDialog("DigVersionInfo");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(std::u16string_view(about->title), text::AboutTitle);
    EXPECT_EQ(about->width, 361);
    EXPECT_EQ(about->height, 231);
    const DialogSpec* threshold = FindDialog("DigGetThreshold");
    ASSERT_NE(threshold, nullptr);
    EXPECT_EQ(threshold->width, 480);
    EXPECT_EQ(threshold->height, 360);
    for (const char* other : {"", "digversioninfo", "DigVersionInfo ", "DigVersion", "Dig"}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(FindDialog(other), nullptr);
    }
}

}  // namespace
}  // namespace tessel
