#include "support/VantrelProcess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <gtest/gtest.h>

using namespace vantrel::testing;

namespace {

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

TEST(ScreenshotCapture, ScreenshotModePutsTheWindowPictureAndItsFileOnThePasteboard) {
    VantrelProcess vantrel;
    const auto result = vantrel.run({"capture", "--scene", VantrelProcess::scene("demo.json"),
                                     "--mode", "screenshot", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject report = result.json();
    EXPECT_EQ(report["status"].toString(), "Copied screenshot. Paste once for the image.");
    EXPECT_EQ(report["toast"].toString(), "Copied — press ⌘V in Claude Code");
    EXPECT_TRUE(report["bundle"].isNull());

    const QString shots = vantrel.cacheDir() + "/Vantrel/shots";
    const QStringList files = filesIn(shots);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^win_\\d+\\.jpg$").match(files[0]).hasMatch());
    const QImage picture(shots + "/" + files[0]);
    EXPECT_EQ(picture.size(), QSize(1040, 700)); // the mail window, one pixel per point

    const QJsonArray items = report["pasteboard"].toArray();
    ASSERT_EQ(items.size(), 1);
    const QJsonObject item = items[0].toObject();
    EXPECT_EQ(item["public.tiff"].toObject(), (QJsonObject{{"width", 1040}, {"height", 700}}));
    EXPECT_EQ(item["public.utf8-plain-text"].toString(),
              "# Vantrel · screenshot\nScreenshot attached on this pasteboard (frontmost "
              "window).\nFile: " +
                  shots + "/" + files[0]);
    EXPECT_FALSE(QDir(vantrel.cacheDir() + "/Vantrel/captures").exists());
}
