#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

// What a screenshot shows, so texts about it tell an agent the truth.
enum class ScreenshotSubject { frontmostWindow, display, area };

// One screenshot file just written, with the pixels it was encoded from: whoever needs the
// picture takes it from here rather than decoding the file again.
struct CapturedScreen {
    QUrl fileURL;
    QString label;
    bool isPrimary = false;
    QImage image;
    ScreenshotSubject subject = ScreenshotSubject::frontmostWindow;
    // The picture as a PNG, encoding on the worker pool since the pixels existed; only when the
    // capture asked for one.
    std::optional<QFuture<QByteArray>> png;
};

} // namespace vantrel
