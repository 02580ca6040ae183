#pragma once

#include "../PlatformError.h"
#include "../ScreenCapturePlatform.h"

#include <QRect>

#include <memory>
#include <optional>

namespace vantrel {

class XcbConnection;
class X11ShmPool;
class X11WindowServer;
class X11Screens;

// Pictures read from the root window: MIT-SHM when the server offers it (the image is built over
// the shared segment, which goes back to a small pool when the image goes), plain GetImage
// otherwise. X11 lets every client
// read the screen, so the permission is always granted. A picture of a display cannot leave out
// windows (the root holds what is on screen) and a picture of a window is its rectangle on
// screen, overlapping windows included; docs/linux-x11.md says more.
class X11ScreenCapture final : public ScreenCapturePlatform {
  public:
    static constexpr int invalidParameterCode = 1;
    static constexpr int noSuchDisplayCode = 2;
    static constexpr int noSuchWindowCode = 3;
    static constexpr int nothingOnScreenCode = 4;
    static constexpr int readFailedCode = 5;
    static const QString errorDomain;

    X11ScreenCapture(XcbConnection& connection, const X11WindowServer& windowServer,
                     const X11Screens& screens);
    ~X11ScreenCapture() override;
    X11ScreenCapture(const X11ScreenCapture&) = delete;
    X11ScreenCapture& operator=(const X11ScreenCapture&) = delete;

    QCoro::Task<ShareableContent> shareableContent(bool excludeDesktopWindows,
                                                   bool onScreenWindowsOnly) override;
    QCoro::Task<QImage> captureImage(ContentFilter filter,
                                     StreamConfiguration configuration) override;
    bool preflightScreenCaptureAccess() const override;
    bool requestScreenCaptureAccess() override;

    // The rectangle (root pixels) a filter shows; throws PlatformError like captureImage.
    QRect sourceRect(const ContentFilter& filter) const;
    // The root's pixels of a rectangle inside it, at their size; throws PlatformError.
    QImage grab(const QRect& rootPixels);
    // Whether grab() uses MIT-SHM (known after the first grab; until then whether it is offered).
    bool usesSharedMemory() const;

  private:
    std::optional<QImage> grabShared(const QRect& rect);
    QImage grabPlain(const QRect& rect);
    void checkPixelFormat() const;

    XcbConnection& m_connection;
    const X11WindowServer& m_windowServer;
    [[maybe_unused]] const X11Screens&
        m_screens;                      // the seam’s screens; monitors come from the connection
    std::optional<bool> m_sharedMemory; // none until probed
    std::shared_ptr<X11ShmPool> m_pool;
};

} // namespace vantrel
