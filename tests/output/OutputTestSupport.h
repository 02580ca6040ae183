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

inline QStringList readLines(const QString& path) {
    return QString::fromUtf8(readBytes(path)).split(u'\n');
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

// `count` copies of one grapheme cluster.
inline QString clusters(const QString& cluster, int count) {
    return cluster.repeated(count);
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
