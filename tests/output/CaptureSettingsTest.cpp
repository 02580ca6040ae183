#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureBundleFormatSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"

#include <QVariantList>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// What a user's defaults hold: mode, agent, pasteboard format, bundle format; null is absent.
struct Stored {
    const char* mode;
    const char* agent;
    const char* pasteboardFormat;
    const char* bundleFormat;
};

// The four settings as read, as their stored words.
QString readBack(const Stored& stored) {
    MemoryUserDefaults defaults;
    const std::pair<const char*, QString> keys[] = {
        {stored.mode, CaptureModeSettings::defaultsKey},
        {stored.agent, AgentPasteTargetSettings::defaultsKey},
        {stored.pasteboardFormat, BundlePasteboardFormatSettings::defaultsKey},
        {stored.bundleFormat, CaptureBundleFormatSettings::defaultsKey}};
    for (const auto& [value, key] : keys) {
        if (value)
            defaults.setString(key, QString::fromUtf8(value));
    }
    return QStringList{rawValue(CaptureModeSettings::primaryMode(defaults)),
                       rawValue(AgentPasteTargetSettings::target(defaults)),
                       rawValue(BundlePasteboardFormatSettings::activeFormat(defaults)),
                       rawValue(CaptureBundleFormatSettings::activeFormat(defaults))}
        .join(u' ');
}

} // namespace

TEST(CaptureSettings, ReadRulesAndFallbacks) {
    const QString fresh = "bundle claudeCode claudeCodeV2 experimental";
    const struct {
        const char* name;
        Stored stored;
        QString expected;
    } cases[] = {
        {"fresh install", {}, fresh},
        {"every value stored",
         {"tree", "codex", "experimentB", "stable"},
         "tree codex experimentB stable"},
        {"agent derived from cursorV1",
         {{}, {}, "cursorV1", {}},
         "bundle cursor cursorV1 experimental"},
        {"agent derived from claudeCodeV1",
         {{}, {}, "claudeCodeV1", {}},
         "bundle claudeCode claudeCodeV1 experimental"},
        {"foreign format falls back, agent follows", {{}, {}, "cursorV9", {}}, fresh},
        {"capitalised agent is no raw value",
         {{}, "Cursor", "legacyFileOnly", {}},
         "bundle cursor legacyFileOnly experimental"},
        {"capitalised agent over a Claude format",
         {{}, "Cursor", "claudeCodeV1", {}},
         "bundle claudeCode claudeCodeV1 experimental"},
        {"case matters for mode and bundle format", {"Tree", {}, {}, "Stable"}, fresh},
        {"screenshot mode",
         {"screenshot", {}, {}, "experimental"},
         "screenshot claudeCode claudeCodeV2 experimental"},
        {"empty strings", {"", "", "", ""}, fresh},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readBack(c.stored), c.expected) << c.name;
}

TEST(CaptureSettings, ANonStringValueReadsAsAbsent) {
    MemoryUserDefaults defaults;
    defaults.setRaw(CaptureModeSettings::defaultsKey, 2);
    defaults.setRaw(AgentPasteTargetSettings::defaultsKey, QVariantList{"codex"});
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::bundle);
    EXPECT_EQ(AgentPasteTargetSettings::target(defaults), AgentPasteTarget::claudeCode);
}

TEST(CaptureSettings, ChoosingAnAgentStoresItsFormatAndAnnouncesFormatFirst) {
    const struct {
        AgentPasteTarget agent;
        const char* storedFormat;
    } cases[] = {{AgentPasteTarget::codex, "cursorV2"},
                 {AgentPasteTarget::cursor, "cursorV2"},
                 {AgentPasteTarget::claudeCode, "claudeCodeV2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(rawValue(c.agent).toStdString());
        MemoryUserDefaults defaults;
        NotificationCenter center;
        QStringList posted;
        for (const QString& name : {AgentPasteTargetSettings::targetDidChangeNotification,
                                    BundlePasteboardFormatSettings::formatDidChangeNotification,
                                    CaptureModeSettings::modeDidChangeNotification}) {
            center.addObserver(name, [&posted, name] { posted.append(name); });
        }
        AgentPasteTargetSettings::setTarget(defaults, center, c.agent);
        EXPECT_EQ(defaults.string(AgentPasteTargetSettings::defaultsKey), rawValue(c.agent));
        EXPECT_EQ(defaults.string(BundlePasteboardFormatSettings::defaultsKey),
                  QString(c.storedFormat));
        EXPECT_EQ(posted, (QStringList{"vantrel.bundlePasteboardFormatDidChange",
                                       "vantrel.agentPasteTargetDidChange"}));
    }
}

TEST(CaptureSettings, WritingTheCurrentValueStillAnnouncesIt) {
    MemoryUserDefaults defaults;
    NotificationCenter center;
    int modeChanges = 0;
    int bundleFormatChanges = 0;
    center.addObserver("vantrel.captureModeDidChange", [&] { ++modeChanges; });
    center.addObserver("vantrel.captureBundleFormatDidChange", [&] { ++bundleFormatChanges; });
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::bundle);
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::bundle);
    CaptureBundleFormatSettings::setActiveFormat(defaults, center,
                                                 CaptureBundleFormat::experimental);
    EXPECT_EQ(modeChanges, 2);
    EXPECT_EQ(bundleFormatChanges, 1);
    EXPECT_EQ(defaults.string("vantrel.primaryCaptureMode"), QString("bundle"));
    EXPECT_EQ(defaults.string("vantrel.activeBundleFormat"), QString("experimental"));
}
