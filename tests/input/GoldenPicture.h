#pragma once

// Compares a rendering with its checked-in picture in a golden folder under tests/ (input/golden
// unless another is named). Run the tests with
// VANTREL_UPDATE_GOLDENS=1 to write the pictures instead, then review the diff.

#include <QDir>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace vantrel::testing {

inline QString goldenPath(const QString& name, const QString& folder) {
    return QStringLiteral(VANTREL_SOURCE_DIR "/tests/") + folder + QStringLiteral("/") + name +
           QStringLiteral(".png");
}

// Font rasterisers differ a little between versions: a few pixels may differ by more than a few
// levels, but not a word's worth.
inline ::testing::AssertionResult
matchesGolden(const QImage& actual, const QString& name,
              const QString& folder = QStringLiteral("input/golden")) {
    const QString path = goldenPath(name, folder);
    const QImage picture = actual.convertToFormat(QImage::Format_ARGB32);
    if (qEnvironmentVariableIntValue("VANTREL_UPDATE_GOLDENS") == 1) {
        if (!picture.save(path))
            return ::testing::AssertionFailure() << "cannot write " << path.toStdString();
        return ::testing::AssertionSuccess();
    }
    const QImage golden = QImage(path).convertToFormat(QImage::Format_ARGB32);
    const QString keptAt =
        QDir::temp().filePath(QStringLiteral("vantrel-") + name + QStringLiteral(".png"));
    if (golden.size() != picture.size()) {
        picture.save(keptAt);
        return ::testing::AssertionFailure()
               << path.toStdString() << " missing or of another size; "
               << "rendering kept at " << keptAt.toStdString();
    }
    constexpr int levels = 24;
    qsizetype differing = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(golden.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int delta = std::max(
                {std::abs(qRed(a[x]) - qRed(b[x])), std::abs(qGreen(a[x]) - qGreen(b[x])),
                 std::abs(qBlue(a[x]) - qBlue(b[x])), std::abs(qAlpha(a[x]) - qAlpha(b[x]))});
            differing += delta > levels;
        }
    }
    const qsizetype allowed = picture.width() * picture.height() / 500;
    if (differing <= allowed)
        return ::testing::AssertionSuccess();
    picture.save(keptAt);
    return ::testing::AssertionFailure()
           << differing << " pixels differ from " << path.toStdString() << " (at most " << allowed
           << " may); rendering kept at " << keptAt.toStdString();
}

} // namespace vantrel::testing
