// app/form_logic.cpp: hint choice, the field limit and kind change.
#include "app/form_logic.h"

#include "app/control_ids.h"
#include "app/form_table.h"
#include "app/texts.h"
#include "files/code_page.h"
#include "job/run_request.h"

namespace tessel {
namespace {

std::u16string FromAscii(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

std::u16string FieldText(std::u16string_view text) {
    // Most texts are far shorter than the limit in any unit: nothing to measure.
    if (text.size() <= ControlTextLimit / 2) return std::u16string(text);
    const std::string utf8 = Utf16ToUtf8(text);
    return Utf8ToUtf16(
        std::string_view(utf8).substr(0, ShownPrefix(utf8, ControlTextLimit, CodePage::Cp932)));
}

const char16_t* HintFor(int commandId, std::u16string_view kindText, TextEquals equal) {
    switch (commandId) {
        case EdtSource: return text::HintSource;
        case EdtDestination: return text::HintDestination;
        case EdtExtensions:
            return equal(kindText, text::KindCustom) ? text::HintExtensionsCustom
                                                     : text::HintExtensionsPreset;
        default: return text::HintGeneral;
    }
}

std::uint32_t OptionsFromRadios(const std::function<bool(int id)>& checked) {
    std::uint32_t options = 0;
    for (const OptionRadio& radio : OptionRadios()) {
        if (checked(radio.id)) options |= radio.bit;
    }
    return options;
}

std::optional<KindView> KindSelector::Change(std::u16string_view kindText,
                                             std::u16string_view fieldText, TextEquals equal) {
    if (equal(kindText, text::KindCustom)) {
        return KindView{savedCustomList_, true, false};
    }
    const bool images = equal(kindText, text::KindImages);
    if (!images && !equal(kindText, text::KindArchives)) return std::nullopt;

    const std::u16string preset = FromAscii(images ? ImageExtensions : ArchiveExtensions);
    const std::u16string other = FromAscii(images ? ArchiveExtensions : ImageExtensions);
    const std::u16string field = FieldText(fieldText);
    KindView view{std::nullopt, false, images};
    if (!equal(field, preset)) {
        if (!equal(field, other)) savedCustomList_ = field;
        view.fieldText = preset;
    }
    return view;
}

}  // namespace tessel
