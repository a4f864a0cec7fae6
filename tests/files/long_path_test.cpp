// The long form of Windows paths, on every host.
#include "files/os/long_path.h"

#include <gtest/gtest.h>

#include <string>

namespace tessel {
namespace {

TEST(LongPathForm, PrefixesDrivesAndShares) {
    const struct {
        const char* what;
        std::u16string full;
        std::u16string form;
    } cases[] = {
        {"drive path", u"C:\\a\\b.jpg", u"\\\\?\\C:\\a\\b.jpg"},
        {"drive root", u"D:\\", u"\\\\?\\D:\\"},
        {"share", u"\\\\server\\share\\a.jpg", u"\\\\?\\UNC\\server\\share\\a.jpg"},
        {"long form already", u"\\\\?\\C:\\a", u"\\\\?\\C:\\a"},
        {"share in long form already", u"\\\\?\\UNC\\s\\x", u"\\\\?\\UNC\\s\\x"},
        {"device path", u"\\\\.\\pipe\\x", u"\\\\.\\pipe\\x"},
        {"names beyond code page 932 stay as they are", u"C:\\\uD55C\\\U0001F600",
         u"\\\\?\\C:\\\uD55C\\\U0001F600"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(os::LongPathForm(c.full), c.form);
    }
}

}  // namespace
}  // namespace tessel
