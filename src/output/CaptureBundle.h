#pragma once

#include <QUrl>

#include <optional>

namespace vantrel {

// The files of one written capture folder.
struct CaptureBundle {
    QUrl directory;
    QUrl stableCaptureURL;
    QUrl experimentalCaptureURL;
    std::optional<QUrl> screenshotURL;
    QUrl accessibilityURL;
};

} // namespace vantrel
