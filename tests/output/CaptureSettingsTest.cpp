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

// The four settings stored as "mode agent pasteboardFormat bundleFormat" ("-" absent, "''" empty),
// read back as their stored words.
QString readBack(const QString& stored) {
    MemoryUserDefaults defaults;
    const QString keys[] = {CaptureModeSettings::defaultsKey, AgentPasteTargetSettings::defaultsKey,
                            BundlePasteboardFormatSettings::defaultsKey,
                            CaptureBundleFormatSettings::defaultsKey};
    const QStringList words = stored.split(u' ');
    for (qsizetype k = 0; k < words.size(); ++k) {
        if (words[k] != "-")
            defaults.setString(keys[k], words[k] == "''" ? QString("") : words[k]);
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
    const std::pair<const char*, QString> cases[] = {
        {"- - - -", fresh},
        {"tree codex experimentB stable", "tree codex experimentB stable"},
        // The agent follows a stored format, also over a capitalised (foreign) agent.
        {"- - cursorV1 -", "bundle cursor cursorV1 experimental"},
        {"- - claudeCodeV1 -", "bundle claudeCode claudeCodeV1 experimental"},
        {"- - cursorV9 -", fresh},
        {"- Cursor legacyFileOnly -", "bundle cursor legacyFileOnly experimental"},
        {"- Cursor claudeCodeV1 -", "bundle claudeCode claudeCodeV1 experimental"},
        {"Tree - - Stable", fresh}, // case matters
        {"screenshot - - experimental", "screenshot claudeCode claudeCodeV2 experimental"},
        {"'' '' '' ''", fresh},
    };
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(readBack(stored), expected) << stored;
}

TEST(CaptureSettings, ANonStringValueReadsAsAbsent) {
    MemoryUserDefaults defaults;
    defaults.setRaw(CaptureModeSettings::defaultsKey, 2);
    defaults.setRaw(AgentPasteTargetSettings::defaultsKey, QVariantList{"codex"});
    EXPECT_EQ(CaptureModeSettings::primaryMode(defaults), CaptureMode::bundle);
    EXPECT_EQ(AgentPasteTargetSettings::target(defaults), AgentPasteTarget::claudeCode);
}

TEST(CaptureSettings, ChoosingAnAgentStoresItsFormatAndAnnouncesFormatFirst) {
    const std::pair<AgentPasteTarget, QString> cases[] = {
        {AgentPasteTarget::codex, "cursorV2"},
        {AgentPasteTarget::cursor, "cursorV2"},
        {AgentPasteTarget::claudeCode, "claudeCodeV2"}};
    for (const auto& [agent, storedFormat] : cases) {
        SCOPED_TRACE(rawValue(agent).toStdString());
        MemoryUserDefaults defaults;
        NotificationCenter center;
        QStringList posted;
        for (const QString& name : {AgentPasteTargetSettings::targetDidChangeNotification,
                                    BundlePasteboardFormatSettings::formatDidChangeNotification,
                                    CaptureModeSettings::modeDidChangeNotification}) {
            center.addObserver(name, [&posted, name] { posted.append(name); });
        }
        AgentPasteTargetSettings::setTarget(defaults, center, agent);
        EXPECT_EQ(defaults.string(AgentPasteTargetSettings::defaultsKey), rawValue(agent));
        EXPECT_EQ(defaults.string(BundlePasteboardFormatSettings::defaultsKey), storedFormat);
        EXPECT_EQ(posted, (QStringList{"vantrel.bundlePasteboardFormatDidChange",
                                       "vantrel.agentPasteTargetDidChange"}));
    }
}

TEST(CaptureSettings, WritingTheCurrentValueStillAnnouncesIt) {
    MemoryUserDefaults defaults;
    NotificationCenter center;
    QStringList posted;
    for (const QString name :
         {"vantrel.captureModeDidChange", "vantrel.captureBundleFormatDidChange"})
        center.addObserver(name, [&posted, name] { posted.append(name); });
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::bundle);
    CaptureModeSettings::setPrimaryMode(defaults, center, CaptureMode::bundle);
    CaptureBundleFormatSettings::setActiveFormat(defaults, center,
                                                 CaptureBundleFormat::experimental);
    EXPECT_EQ(posted, (QStringList{"vantrel.captureModeDidChange", "vantrel.captureModeDidChange",
                                   "vantrel.captureBundleFormatDidChange"}));
    EXPECT_EQ(defaults.string("vantrel.primaryCaptureMode"), QString("bundle"));
    EXPECT_EQ(defaults.string("vantrel.activeBundleFormat"), QString("experimental"));
}
