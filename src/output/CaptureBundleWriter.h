#pragma once

#include "BundleWriting.h"
#include "CaptureDocuments.h"

#include <QString>

#include <optional>

namespace vantrel {

class Clock;
class UserDefaults;
struct PlatformVocabulary;

// Writes one capture folder under <caches>/Vantrel/captures, points <caches>/Vantrel/latest and
// the Desktop's Vantrel-latest at it, and keeps the 25 newest folders.
class CaptureBundleWriter final : public BundleWriting {
  public:
    static constexpr int keptCaptures = 25;

    // Both default to the user's own folders, looked up on every write.
    struct Directories {
        std::optional<QString> caches;
        std::optional<QString> desktop;
    };

    CaptureBundleWriter(Clock& clock, const UserDefaults& defaults,
                        const PlatformVocabulary& vocabulary, Directories directories = {});

    // Throws PlatformError. A failure leaves what was written in place and moves neither link.
    CaptureBundle write(const CapturedAccessibility& accessibility,
                        const std::optional<QUrl>& screenshotSourceURL,
                        const std::optional<QImage>& screenshotImage) override;

    QString capturesRoot() const;
    QString latestLinkPath() const;
    QString desktopLinkPath() const;

  private:
    QString vantrelDirectory() const;
    QString timestampFolderName() const;
    QString createCaptureFolder(const QString& root) const;
    std::optional<QUrl> storeScreenshot(const QString& directory,
                                        const std::optional<QUrl>& sourceURL,
                                        const std::optional<QImage>& image) const;
    void writeDocuments(const CapturedAccessibility& accessibility,
                        const CaptureDocumentPaths& paths) const;
    void updateLatestLinks(const QString& directory) const;

    const Clock& m_clock;
    CaptureDocuments m_documents;
    Directories m_directories;
};

} // namespace vantrel
