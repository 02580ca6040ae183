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
// the Desktop's Vantrel-latest at it, and keeps the 25 newest folders. The folder is written
// under a hidden name, put on the disk, and only then renamed into place.
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

    // Throws PlatformError. After a failure no folder appears and neither link moves, unless
    // only the cache-side link could not be replaced: the folder is complete then.
    QCoro::Task<CaptureBundle>
    write(const CapturedAccessibility& accessibility,
          const std::optional<QFuture<QByteArray>>& screenshotPng) override;

    QString capturesRoot() const;
    QString latestLinkPath() const;
    QString desktopLinkPath() const;

  private:
    struct Draft;

    QString vantrelDirectory() const;
    QString timestampFolderName() const;
    QString freeFolderName(const QString& root, int attempt) const;
    void writeDocuments(const Draft& draft, const CaptureDocumentPaths& paths) const;
    QString publish(const Draft& draft, CaptureDocumentPaths& paths) const;
    void checkLatestLink() const;
    void updateLatestLinks(const QString& directory) const;

    const Clock& m_clock;
    CaptureDocuments m_documents;
    Directories m_directories;
};

} // namespace vantrel
