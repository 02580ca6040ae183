#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureBundleFormatSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/SettingsUserDefaults.h"

#include <QTemporaryDir>
#include <QVariantList>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

struct StoredValues {
    std::optional<QString> mode;
    std::optional<QString> agent;
    std::optional<QString> pasteboardFormat;
    std::optional<QString> bundleFormat;
};

struct ReadCase {
    const char* name;
    StoredValues stored;
    CaptureMode mode;
    AgentPasteTarget agent;
    BundlePasteboardFormat pasteboardFormat;
    CaptureBundleFormat bundleFormat;
};

MemoryUserDefaults defaultsWith(const StoredValues& stored) {
    MemoryUserDefaults defaults;
    if (stored.mode)
        defaults.setString(CaptureModeSettings::defaultsKey, *stored.mode);
    if (stored.agent)
        defaults.setString(AgentPasteTargetSettings::defaultsKey, *stored.agent);
    if (stored.pasteboardFormat)
        defaults.setString(BundlePasteboardFormatSettings::defaultsKey, *stored.pasteboardFormat);
    if (stored.bundleFormat)
        defaults.setString(CaptureBundleFormatSettings::defaultsKey, *stored.bundleFormat);
    return defaults;
}

} // namespace

TEST(CaptureSettings, ReadRulesAndFallbacks) {
    using M = CaptureMode;
    using A = AgentPasteTarget;
    using P = BundlePasteboardFormat;
    using B = CaptureBundleFormat;
    const ReadCase cases[] = {
        {"fresh install", {}, M::bundle, A::claudeCode, P::claudeCodeV2, B::experimental},
        {"every value stored",
         {"tree", "codex", "experimentB", "stable"},
         M::tree,
         A::codex,
         P::experimentB,
         B::stable},
        {"agent derived from cursorV1",
         {{}, {}, "cursorV1", {}},
         M::bundle,
         A::cursor,
         P::cursorV1,
         B::experimental},
        {"agent derived from claudeCodeV1",
         {{}, {}, "claudeCodeV1", {}},
         M::bundle,
         A::claudeCode,
         P::claudeCodeV1,
         B::experimental},
        {"foreign format falls back, agent follows",
         {{}, {}, "cursorV9", {}},
         M::bundle,
         A::claudeCode,
         P::claudeCodeV2,
         B::experimental},
        {"capitalised agent is no raw value",
         {{}, "Cursor", "legacyFileOnly", {}},
         M::bundle,
         A::cursor,
         P::legacyFileOnly,
         B::experimental},
        {"capitalised agent over a Claude format",
         {{}, "Cursor", "claudeCodeV1", {}},
         M::bundle,
         A::claudeCode,
         P::claudeCodeV1,
         B::experimental},
        {"case matters for mode and bundle format",
         {"Tree", {}, {}, "Stable"},
         M::bundle,
         A::claudeCode,
         P::claudeCodeV2,
         B::experimental},
        {"screenshot mode",
         {"screenshot", {}, {}, "experimental"},
         M::screenshot,
         A::claudeCode,
         P::claudeCodeV2,
         B::experimental},
        {"empty strings",
         {"", "", "", ""},
         M::bundle,
         A::claudeCode,
         P::claudeCodeV2,
         B::experimental},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryUserDefaults defaults = defaultsWith(c.stored);
        EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), c.mode);
        EXPECT_EQ(AgentPasteTargetSettings::target(defaults), c.agent);
        EXPECT_EQ(BundlePasteboardFormatSettings::activeFormat(defaults), c.pasteboardFormat);
        EXPECT_EQ(CaptureBundleFormatSettings::activeFormat(defaults), c.bundleFormat);
    }
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

TEST(CaptureSettings, ChoosingAFormatKeepsTheAgent) {
    MemoryUserDefaults defaults;
    NotificationCenter center;
    AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::cursor);
    BundlePasteboardFormatSettings::setActiveFormat(defaults, center,
                                                    BundlePasteboardFormat::claudeCodeV1);
    EXPECT_EQ(AgentPasteTargetSettings::target(defaults), AgentPasteTarget::cursor);
    EXPECT_EQ(BundlePasteboardFormatSettings::activeFormat(defaults),
              BundlePasteboardFormat::claudeCodeV1);
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

TEST(CaptureSettings, ValuesPersistAcrossLaunches) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("Vantrel.conf");
    NotificationCenter center;
    {
        SettingsUserDefaults defaults(ini);
        CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::tree);
        AgentPasteTargetSettings::setTarget(defaults, center, AgentPasteTarget::codex);
    }
    SettingsUserDefaults relaunched(ini);
    EXPECT_EQ(CaptureModeSettings::primaryMode(relaunched), CaptureMode::tree);
    EXPECT_EQ(AgentPasteTargetSettings::target(relaunched), AgentPasteTarget::codex);
    EXPECT_EQ(BundlePasteboardFormatSettings::activeFormat(relaunched),
              BundlePasteboardFormat::cursorV2);
}
