// The capture command's options: what a usage error is.
#include "app/cli/CaptureOptions.h"

#include <gtest/gtest.h>

using namespace vantrel;

// An area without width or height captures nothing: it is a usage error, one past it is not.
TEST(CaptureOptions, AnAreaNeedsAPositiveWidthAndHeight) {
    for (const char* area : {"0,0,10,0", "0,0,0,10"})
        EXPECT_TRUE(std::holds_alternative<QString>(CaptureOptions::parse({"--region", area})))
            << area;
    const auto parsed = CaptureOptions::parse({"--region", "0,0,1,1"});
    ASSERT_TRUE(std::holds_alternative<CaptureOptions>(parsed));
    EXPECT_EQ(std::get<CaptureOptions>(parsed).region, QRectF(0, 0, 1, 1));
}

// An agent's options: --ask stands alone, --pick-window needs it, and a prompt that looks like an
// option stays the prompt.
TEST(CaptureOptions, AskingTheUserExcludesAGivenPlace) {
    for (const QStringList& given :
         {QStringList{"--ask=x", "--region", "0,0,5,5"}, QStringList{"--ask=x", "--at", "1,1"},
          QStringList{"--ask=x", "--front-window"}, QStringList{"--pick-window"}})
        EXPECT_TRUE(std::holds_alternative<QString>(CaptureOptions::parse(given)))
            << given.join(' ').toStdString();
    const auto parsed = CaptureOptions::parse({"--ask=--scene", "--pick-window", "--top-left"});
    ASSERT_TRUE(std::holds_alternative<CaptureOptions>(parsed));
    const auto& options = std::get<CaptureOptions>(parsed);
    EXPECT_EQ(options.ask, "--scene");
    EXPECT_FALSE(options.scenePath);
    EXPECT_TRUE(options.pickWindow && options.topLeft && !options.noClipboard);
}
