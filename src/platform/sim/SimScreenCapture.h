#pragma once

#include "../PlatformError.h"
#include "../ScreenCapturePlatform.h"
#include "Scene.h"

namespace vantrel {

// Shareable content and pictures of a scene. Every call completes at once; errors are thrown
// from the awaited task, as the platform reports them.
class SimScreenCapture final : public ScreenCapturePlatform {
  public:
    struct CaptureRequest {
        ContentFilter filter;
        StreamConfiguration configuration;
    };

    static constexpr int userDeclinedCode = -3801;
    static constexpr int invalidParameterCode = -3812;
    static constexpr int noCaptureSourceCode = -3815;
    static PlatformError userDeclinedError();

    explicit SimScreenCapture(const Scene& scene);

    QCoro::Task<ShareableContent> shareableContent(bool excludeDesktopWindows,
                                                   bool onScreenWindowsOnly) override;
    QCoro::Task<QImage> captureImage(ContentFilter filter,
                                     StreamConfiguration configuration) override;
    bool preflightScreenCaptureAccess() const override;
    bool requestScreenCaptureAccess() override;

    // While set, the call throws this error instead of answering.
    void setShareableContentError(std::optional<PlatformError> error);
    void setCaptureImageError(std::optional<PlatformError> error);

    int shareableContentCount() const { return m_contentQueries; }
    const QList<CaptureRequest>& captureRequests() const { return m_captureRequests; }
    int accessRequestCount() const { return m_accessRequests; }

  private:
    ShareableContent content(bool excludeDesktopWindows, bool onScreenWindowsOnly) const;
    QImage picture(const ContentFilter& filter, QSize pixels) const;

    const Scene& m_scene;
    std::optional<PlatformError> m_contentError;
    std::optional<PlatformError> m_captureError;
    int m_contentQueries = 0;
    int m_accessRequests = 0;
    QList<CaptureRequest> m_captureRequests;
};

} // namespace vantrel
