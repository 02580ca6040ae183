#include "accessibility/ToolkitAdvice.h"

#include <gtest/gtest.h>

using namespace vantrel;

// The bus's toolkit name decides first, except that Electron says "Chromium" there and only its
// process tells it apart; without a name the program and its libraries decide.
TEST(ToolkitAdvice, EachToolkitIsRecognisedAndGetsItsFix) {
    using Toolkit = ToolkitAdvice::Toolkit;
    const struct {
        const char* name;
        ToolkitClues clues;
        Toolkit toolkit;
        QString fixPart; // empty: works as it is
    } cases[] = {
        {"Qt by name",
         {"Qt", "/usr/bin/app", {}, {}},
         Toolkit::qt,
         "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"},
        {"Qt by library",
         {"", "/opt/tool", {}, {"libc.so.6", "libQt6Core.so.6"}},
         Toolkit::qt,
         "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"},
        {"GTK", {"GTK", "/usr/bin/python3.11", {}, {}}, Toolkit::gtk, ""},
        {"Chromium",
         {"Chromium", "/usr/lib/chromium/chromium", {}, {}},
         Toolkit::chromium,
         "--force-renderer-accessibility"},
        {"Chrome without a name",
         {"", "/opt/google/chrome/chrome", {}, {}},
         Toolkit::chromium,
         "--force-renderer-accessibility"},
        {"Electron",
         {"Chromium", "/usr/lib/electron25/electron", {}, {}},
         Toolkit::electron,
         "--force-renderer-accessibility"},
        {"Electron app",
         {"Chromium", "/opt/Editor/editor", {"/opt/Editor/editor", "app.asar"}, {}},
         Toolkit::electron,
         "--force-renderer-accessibility"},
        {"Firefox", {"Gecko", "/usr/lib/firefox-esr/firefox-esr", {}, {}}, Toolkit::firefox, ""},
        {"Java by program",
         {"", "/usr/lib/jvm/java-17/bin/java", {}, {}},
         Toolkit::java,
         "libatk-wrapper-java"},
        {"Java by bridge name",
         {"J2SE-access-bridge", "", {}, {}},
         Toolkit::java,
         "org.GNOME.Accessibility.AtkWrapper"},
        {"unknown", {"", "/usr/bin/xterm", {}, {"libX11.so.6"}}, Toolkit::unknown, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToolkitAdvice::recognise(c.clues), c.toolkit);
        const ToolkitAdvice::Entry& entry = ToolkitAdvice::entryFor(c.clues);
        EXPECT_EQ(entry.toolkit, c.toolkit);
        EXPECT_FALSE(entry.fix.isEmpty());
        EXPECT_EQ(entry.shortFix.isEmpty(), c.fixPart.isEmpty());
        if (!c.fixPart.isEmpty()) {
            EXPECT_TRUE(entry.fix.contains(c.fixPart)) << entry.fix.toStdString();
            EXPECT_FALSE(entry.worksAsIs);
        }
    }
}
