#pragma once

#include "CaptureBundleFormat.h"
#include "PasteboardWriting.h"
#include "platform/PlatformVocabulary.h"
#include "screen/CapturedScreen.h"

#include <QString>
#include <QUrl>

namespace vantrel {

class Pasteboard;
class UserDefaults;

// Puts a capture on the pasteboard in the layout the chosen agent reads best. Every payload
// replaces what was there and carries a short Markdown text.
class PasteboardWriter final : public PasteboardWriting {
  public:
    static constexpr int treeJsonClusterLimit = 80000;

    PasteboardWriter(Pasteboard& pasteboard, const UserDefaults& defaults,
                     const PlatformVocabulary& vocabulary);

    void writeBundle(const CaptureBundle& bundle, const CapturedAccessibility& accessibility,
                     const std::optional<QImage>& screenshot, ScreenshotSubject subject,
                     BundlePasteboardFormat pasteboardFormat) override;
    void writeScreenshot(const QImage& image, const std::optional<QUrl>& fileURL,
                         ScreenshotSubject subject) override;
    void writeTree(const CapturedAccessibility& accessibility) override;

    QString treePasteboardText(const CapturedAccessibility& accessibility) const;

  private:
    CaptureBundleFormat bundleFormat() const;
    QUrl captureDocument(const CaptureBundle& bundle) const;
    QString bundlePasteboardText(const CaptureBundle& bundle,
                                 const CapturedAccessibility& accessibility,
                                 BundlePasteboardFormat pasteboardFormat,
                                 std::optional<ScreenshotSubject> attached) const;
    QString standardBundleText(const CaptureBundle& bundle,
                               const CapturedAccessibility& accessibility,
                               BundlePasteboardFormat pasteboardFormat) const;
    QString richBundlePasteboardText(const CaptureBundle& bundle,
                                     const CapturedAccessibility& accessibility, bool includeAtFile,
                                     std::optional<ScreenshotSubject> attached) const;
    void writeText(const QString& text);

    Pasteboard& m_pasteboard;
    const UserDefaults& m_defaults;
    PlatformVocabulary m_vocabulary;
};

} // namespace vantrel
