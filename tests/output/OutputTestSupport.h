#pragma once

#include "accessibility/CapturedAccessibility.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QUrl>

#include <gtest/gtest.h>

namespace vantrel::testing {

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A snapshot record whose file holds `json`, written at `path`.
inline CapturedAccessibility snapshotAt(const QString& path, const QByteArray& json) {
    writeBytes(path, json);
    CapturedAccessibility accessibility;
    accessibility.fileURL = QUrl::fromLocalFile(path);
    accessibility.nodeCount = 3;
    accessibility.summary = QStringLiteral("Button \"Send\" · Inbox");
    accessibility.inlinePreview =
        QStringLiteral("Target: Button \"Send\" · Inbox\nPath: Window \"Inbox\" → Button \"Send\"");
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

// The lines between the first "```json" and the next "```", joined again.
inline QString fencedJson(const QStringList& lines) {
    const qsizetype start = lines.indexOf(QStringLiteral("```json"));
    if (start < 0)
        return {};
    const qsizetype end = lines.indexOf(QStringLiteral("```"), start + 1);
    return lines.mid(start + 1, end - start - 1).join(u'\n');
}

} // namespace vantrel::testing
