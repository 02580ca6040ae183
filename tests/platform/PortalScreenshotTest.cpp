#include "platform/wayland/PortalScreenshot.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// The portal's answer: a local file on success; a refusal says where to allow it; anything else,
// or a success without a local file, is a failure that says so.
TEST(PortalScreenshot, TheAnswerNamesTheFileOrSaysWhyNot) {
    const struct {
        const char* name;
        uint response;
        QVariantMap results;
        QString file; // empty: an error starting with `error`
        QString error;
    } cases[] = {
        {"done", 0, {{"uri", "file:///home/u/Screenshot.png"}}, "/home/u/Screenshot.png", {}},
        {"escaped", 0, {{"uri", "file:///home/u/A%20B.png"}}, "/home/u/A B.png", {}},
        {"refused", 1, {{"uri", "file:///home/u/x.png"}}, {}, "GNOME did not allow Vantrel"},
        {"other", 2, {}, {}, "The Screenshot portal could not take"},
        {"no uri", 0, {}, {}, "The Screenshot portal named no picture file."},
        {"not a file",
         0,
         {{"uri", "https://example.com/x.png"}},
         {},
         "The Screenshot portal named"},
    };
    for (const auto& c : cases) {
        const auto answer = PortalScreenshot::pictureFile(c.response, c.results);
        if (!c.file.isEmpty()) {
            ASSERT_TRUE(std::holds_alternative<QString>(answer)) << c.name;
            EXPECT_EQ(std::get<QString>(answer), c.file) << c.name;
        } else {
            ASSERT_TRUE(std::holds_alternative<PlatformError>(answer)) << c.name;
            EXPECT_TRUE(std::get<PlatformError>(answer).description.startsWith(c.error))
                << c.name << ": " << qPrintable(std::get<PlatformError>(answer).description);
        }
    }
}

} // namespace
} // namespace vantrel
