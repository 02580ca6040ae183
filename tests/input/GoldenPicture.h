#pragma once

// Compares a rendering with its checked-in picture in a golden folder under tests/ (input/golden
// unless another is named). VANTREL_UPDATE_GOLDENS=1 writes the pictures instead: review the diff.

#include <QDir>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace vantrel::testing {

// The largest difference of one channel between two pixels.
inline int channelDelta(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

// Font rasterisers differ a little between versions: a few pixels may differ by more than a few
// levels, but not a word's worth. A picture without text has no such excuse.
inline ::testing::AssertionResult
matchesGolden(const QImage& actual, const QString& name,
              const QString& folder = QStringLiteral("input/golden"), bool hasText = true) {
    const QString path = QStringLiteral(VANTREL_SOURCE_DIR "/tests/%1/%2.png").arg(folder, name);
    const QImage picture = actual.convertToFormat(QImage::Format_ARGB32);
    if (qEnvironmentVariableIntValue("VANTREL_UPDATE_GOLDENS") == 1) {
        if (!picture.save(path))
            return ::testing::AssertionFailure() << "cannot write " << path.toStdString();
        return ::testing::AssertionSuccess();
    }
    const QImage golden = QImage(path).convertToFormat(QImage::Format_ARGB32);
    const auto keep = [&picture, &name] {
        const QString keptAt = QDir::temp().filePath(QStringLiteral("vantrel-%1.png").arg(name));
        picture.save(keptAt);
        return "; rendering kept at " + keptAt.toStdString();
    };
    if (golden.size() != picture.size())
        return ::testing::AssertionFailure()
               << path.toStdString() << " missing or of another size" << keep();
    qsizetype differing = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            differing += channelDelta(picture.pixel(x, y), golden.pixel(x, y)) > 24;
    const qsizetype allowed = hasText ? picture.width() * picture.height() / 500 : 0;
    if (differing <= allowed)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << differing << " pixels differ from " << path.toStdString() << " (at most " << allowed
           << " may)" << keep();
}

} // namespace vantrel::testing
