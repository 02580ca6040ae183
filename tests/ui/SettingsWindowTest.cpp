#include "ui/widgets/SettingsWindow.h"
#include "SettingsTestSupport.h"
#include "input/GoldenPicture.h"
#include "output/CaptureModeSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// One style, palette and font, whatever the machine's desktop would pick.
void makeDeterministic(QWidget& window) {
    static QStyle* const fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    const auto styleAll = [](QWidget& root) {
        root.setStyle(fusion);
        for (QWidget* child : root.findChildren<QWidget*>())
            child->setStyle(fusion);
    };
    window.setPalette(fusion->standardPalette());
    window.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    styleAll(window);
}

template <class W> W* named(QWidget& window, const QString& name) {
    for (W* widget : window.findChildren<W*>())
        if (widget->accessibleName() == name)
            return widget;
    return nullptr;
}

class SettingsWindowTest : public ::testing::Test {
  protected:
    SettingsWindowTest() {
        harness.pollPermissions();
        makeDeterministic(window);
    }

    SettingsHarness harness{{.accessibility = true, .screenRecording = false}};
    SettingsWindow window{*harness.model};
};

TEST_F(SettingsWindowTest, EachSectionMatchesItsPicture) {
    harness.tray.delegate().setLastStatus("Copied for Claude Code: Send (button) · 12 AX nodes");
    const struct {
        SettingsSection section;
        bool advanced;
        const char* golden;
    } cases[] = {
        {SettingsSection::general, false, "settings-general"},
        {SettingsSection::capture, false, "settings-capture"},
        {SettingsSection::agents, true, "settings-agents-advanced"},
        {SettingsSection::privacy, false, "settings-privacy"},
    };
    window.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        harness.model->setSelection(c.section);
        harness.model->setShowAdvanced(c.advanced);
        window.resize(720, 520);
        const QImage picture = window.grab().toImage();
        ASSERT_EQ(picture.size(), QSize(720, 520) * picture.devicePixelRatio());
        EXPECT_TRUE(matchesGolden(picture, QString::fromLatin1(c.golden), "ui/golden"));
    }
}

TEST_F(SettingsWindowTest, PickersWriteTheStoresAndFollowThem) {
    QComboBox* mode = named<QComboBox>(window, "Capture mode");
    QComboBox* pasteboard = named<QComboBox>(window, "Pasteboard format");
    QComboBox* agent = named<QComboBox>(window, "Paste to");
    ASSERT_TRUE(mode && pasteboard && agent);

    mode->setCurrentIndex(mode->findText("Text tree"));
    EXPECT_EQ(harness.defaults.string(CaptureModeSettings::defaultsKey), "tree");
    agent->setCurrentIndex(agent->findText("Codex"));
    EXPECT_EQ(pasteboard->currentText(), "Cursor v2 (1 file + rich text)");
    EXPECT_EQ(agent->accessibleDescription(), "Paste with ⌘V in Codex (same as Cursor).");

    // The status menu changes the mode while the window is open.
    CaptureModeSettings::setPrimaryMode(harness.defaults, harness.center, CaptureMode::screenshot);
    EXPECT_EQ(mode->currentText(), "Screenshot only");
    EXPECT_EQ(mode->accessibleDescription(), "Image on clipboard only.");
}

TEST_F(SettingsWindowTest, ARefusedSwitchSpringsBack) {
    QCheckBox* launch = named<QCheckBox>(window, "Launch at login");
    ASSERT_TRUE(launch);
    harness.desktop.loginItem().setError(PlatformError{"sim", 1, "denied"});
    launch->click();
    EXPECT_FALSE(launch->isChecked());
    EXPECT_EQ(launch->accessibleDescription(), "Could not change it: denied");
}

TEST_F(SettingsWindowTest, ClosingHidesAndPresentingAgainReusesTheWindow) {
    window.present();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Vantrel Settings");
    EXPECT_EQ(window.minimumSize(), QSize(680, 460));
    const QPoint placed = window.pos();
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());

    // Written while hidden, without a notice: presenting reads it again.
    harness.defaults.setString(CaptureModeSettings::defaultsKey, "tree");
    window.present();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), placed);
    EXPECT_EQ(named<QComboBox>(window, "Capture mode")->currentText(), "Text tree");
}

} // namespace
