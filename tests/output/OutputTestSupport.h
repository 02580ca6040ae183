#pragma once

#include "accessibility/CapturedAccessibility.h"
#include "support/VantrelProcess.h"

#include <QDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace vantrel::testing {

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline const auto readBytes = VantrelProcess::readBytes;

// The summary and the path to the element that snapshotAt's records give.
inline const QString target = QStringLiteral("Target: Button \"Send\" · Inbox");
inline const QString targetPath = QStringLiteral("Path: Window \"Inbox\" → Button \"Send\"");

// A snapshot record whose file holds `json`, written at `path`.
inline CapturedAccessibility snapshotAt(const QString& path, const QByteArray& json) {
    writeBytes(path, json);
    CapturedAccessibility accessibility;
    accessibility.fileURL = QUrl::fromLocalFile(path);
    accessibility.nodeCount = 3;
    accessibility.summary = QStringLiteral("Button \"Send\" · Inbox");
    accessibility.inlinePreview = target + u'\n' + targetPath;
    return accessibility;
}

// The paths of a bundle in `folder` (CaptureBundle and CaptureDocumentPaths share the layout).
template <class Paths> Paths bundleIn(const QString& folder, bool withScreenshot) {
    const auto file = [&](const char* name) { return QUrl::fromLocalFile(folder + u'/' + name); };
    Paths result{QUrl::fromLocalFile(folder), file("capture.md"), file("capture1.md"), std::nullopt,
                 file("accessibility.json")};
    if (withScreenshot)
        result.screenshotURL = file("screenshot.png");
    return result;
}

} // namespace vantrel::testing
