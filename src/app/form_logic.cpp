// app/form_logic.cpp: hint choice and kind change.
#include "app/form_logic.h"

#include "app/control_ids.h"
#include "app/form_table.h"
#include "app/texts.h"
#include "job/run_request.h"

namespace tessel {

const char* HintFor(int commandId, std::string_view kindText, TextEquals equal) {
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

std::optional<KindView> KindSelector::Change(std::string_view kindText, std::string_view fieldText,
                                             TextEquals equal) {
    if (equal(kindText, text::KindCustom)) {
        return KindView{savedCustomList_, true, false};
    }
    const bool images = equal(kindText, text::KindImages);
    if (!images && !equal(kindText, text::KindArchives)) return std::nullopt;

    const char* preset = images ? ImageExtensions : ArchiveExtensions;
    const char* other = images ? ArchiveExtensions : ImageExtensions;
    const std::string_view field = fieldText.substr(0, ControlTextLimit);
    KindView view{std::nullopt, false, images};
    if (!equal(field, preset)) {
        if (!equal(field, other)) savedCustomList_ = field;
        view.fieldText = preset;
    }
    return view;
}

}  // namespace tessel
