#pragma once

#include "accessibility/CapturedAccessibility.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

class Clock;
class UserDefaults;

// The files of one capture folder, as the two documents name them.
struct CaptureDocumentPaths {
    QUrl bundleDirectory;
    QUrl stableCaptureURL;
    QUrl experimentalCaptureURL;
    std::optional<QUrl> screenshotURL;
    QUrl accessibilityURL;
};

// The two Markdown documents of a capture folder: capture.md (stable) and capture1.md
// (experimental). Each reads the clock and the settings while it is built. accessibilityJson is
// the text of accessibility.json; none leaves out the JSON section.
class CaptureDocuments final {
  public:
    static constexpr int stableJsonClusterLimit = 120000;
    static constexpr int experimentalJsonByteLimit = 4096;

    CaptureDocuments(const Clock& clock, const UserDefaults& defaults);

    QString stableCaptureText(const CapturedAccessibility& accessibility,
                              const CaptureDocumentPaths& paths,
                              const std::optional<QString>& accessibilityJson) const;
    QString experimentalCaptureText(const CapturedAccessibility& accessibility,
                                    const CaptureDocumentPaths& paths,
                                    const std::optional<QString>& accessibilityJson) const;

  private:
    QString capturedAt() const;

    const Clock& m_clock;
    const UserDefaults& m_defaults;
};

} // namespace vantrel
