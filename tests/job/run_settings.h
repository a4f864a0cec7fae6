// tests/job/run_settings.h: the settings of a numbered run over images, as the job tests start
// it through the monitor.
#pragma once

#include <string>
#include <string_view>

#include "job/run_monitor.h"
#include "job/run_request.h"

namespace tessel::test {

inline RunSettings Settings(const std::string& source, const std::string& destination,
                            ThresholdMode threshold = ThresholdMode::None,
                            std::string_view extensions = ImageExtensions) {
    return {OptionsWord(DuplicateMode::Numbered, threshold), source, destination,
            MakeExtensionList(extensions)};
}

}  // namespace tessel::test

namespace tessel {  // named for the tests as test_support.h names its own
using test::Settings;
}  // namespace tessel
