// The status menu as the desktop shell receives it, and the choices it sends back.
#include "ui/StatusMenuWire.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

StatusMenuItem wireItem(const QString& title, bool enabled = true, bool checked = false) {
    StatusMenuItem item;
    item.title = title;
    item.enabled = enabled;
    item.checked = checked;
    item.action = StatusMenuAction::openSettings;
    return item;
}

// Open, a separator, Mode ▸ (Bundle ✓, Image), Disabled.
StatusMenu wireMenu() {
    StatusMenuItem mode = wireItem("Mode");
    mode.submenu = {wireItem("Bundle", true, true), wireItem("Image")};
    return {{wireItem("Open"), StatusMenuItem::separator(), mode, wireItem("Disabled", false)}};
}

TEST(StatusMenuWire, SendsTitlesStatesSeparatorsAndSubmenusWithTheirGenerationsIds) {
    EXPECT_EQ(StatusMenuWire::serialise(wireMenu(), 7),
              R"([{"checked":false,"enabled":true,"id":"7/0","title":"Open"},)"
              R"({"separator":true},)"
              R"({"checked":false,"enabled":true,"id":"7/2","submenu":[)"
              R"({"checked":true,"enabled":true,"id":"7/2/0","title":"Bundle"},)"
              R"({"checked":false,"enabled":true,"id":"7/2/1","title":"Image"}],"title":"Mode"},)"
              R"({"checked":false,"enabled":false,"id":"7/3","title":"Disabled"}])");
}

TEST(StatusMenuWire, AChoiceNamesAnItemThatCanRunInThisVeryMenu) {
    const struct {
        const char* id;
        const char* title; // none: nothing runs
    } cases[] = {
        {"7/0", "Open"},    {"7/2/0", "Bundle"}, {"7/2/1", "Image"},
        {"6/0", nullptr},                     // a menu replaced since
        {"8/0", nullptr},   {"7/1", nullptr}, // the separator
        {"7/2", nullptr},                     // a submenu's own title
        {"7/3", nullptr},                     // disabled
        {"7/4", nullptr},   {"7/-1", nullptr},   {"7/2/2", nullptr},
        {"7/0/0", nullptr}, {"7", nullptr},      {"", nullptr},
        {"x/0", nullptr},   {"7/x", nullptr},    {"7//0", nullptr},
    };
    for (const auto& each : cases) {
        const std::optional<StatusMenuItem> chosen =
            StatusMenuWire::chosen(wireMenu(), 7, QString::fromUtf8(each.id));
        EXPECT_EQ(chosen ? chosen->title : QString(), each.title ? each.title : "") << each.id;
    }
}

} // namespace
