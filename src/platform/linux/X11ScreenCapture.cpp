#include "X11ScreenCapture.h"

#include "../clipboard/XcbReply.h"

#include "X11Screens.h"
#include "X11ShmPool.h"
#include "X11WindowServer.h"
#include "XcbConnection.h"

#include <xcb/shm.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace vantrel {

namespace {

PlatformError error(int code, const QString& description) {
    return {X11ScreenCapture::errorDomain, code, description};
}

QRect monitorsBounds(const QList<X11Monitor>& monitors) {
    QRect bounds;
    for (const X11Monitor& monitor : monitors)
        bounds = bounds.united(monitor.pixels);
    return bounds;
}

} // namespace

const QString X11ScreenCapture::errorDomain = QStringLiteral("X11ScreenCapture");

X11ScreenCapture::X11ScreenCapture(XcbConnection& connection, const X11WindowServer& windowServer,
                                   const X11Screens& screens)
    : m_connection(connection), m_windowServer(windowServer), m_screens(screens),
      m_pool(std::make_shared<X11ShmPool>(connection.get())) {}

X11ScreenCapture::~X11ScreenCapture() {
    m_pool->close();
}

QCoro::Task<ShareableContent> X11ScreenCapture::shareableContent(bool excludeDesktopWindows,
                                                                 bool onScreenWindowsOnly) {
    const auto windows = m_windowServer.windows(!onScreenWindowsOnly);
    if (!windows) {
        throw error(readFailedCode,
                    QStringLiteral("The X server connection is lost; the windows are unknown."));
    }
    const QList<X11Monitor> monitors = m_connection.monitors();
    const DesktopSpace space = X11Translation::space(monitors, m_connection.scale());
    ShareableContent content;
    for (const X11Monitor& monitor : monitors) {
        const QRectF frame = space.toPoints(QRectF(monitor.pixels));
        content.displays.append({monitor.id, frame, frame.width(), frame.height()});
    }
    for (const X11Window& window : *windows) {
        if (excludeDesktopWindows && window.desktop)
            continue;
        std::optional<OwningApplication> owner;
        if (!window.instance.isEmpty())
            owner = OwningApplication{QString::fromUtf8(window.instance)};
        content.windows.append({window.id, space.toPoints(QRectF(window.frame)), window.name,
                                window.onScreen, window.layer, owner});
    }
    co_return content;
}

QCoro::Task<QImage> X11ScreenCapture::captureImage(ContentFilter filter,
                                                   StreamConfiguration configuration) {
    if (configuration.width <= 0 || configuration.height <= 0) {
        throw error(invalidParameterCode, QStringLiteral("The picture size %1×%2 is invalid.")
                                              .arg(configuration.width)
                                              .arg(configuration.height));
    }
    QImage image = grab(sourceRect(filter));
    const QSize wanted(configuration.width, configuration.height);
    if (image.size() != wanted)
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    co_return image;
}

bool X11ScreenCapture::preflightScreenCaptureAccess() const {
    return true; // X11 lets every client read the screen
}

bool X11ScreenCapture::requestScreenCaptureAccess() {
    return true;
}

QRect X11ScreenCapture::sourceRect(const ContentFilter& filter) const {
    if (m_connection.hasError())
        throw error(readFailedCode, QStringLiteral("The X server connection is lost."));
    const QList<X11Monitor> monitors = m_connection.monitors();
    if (const auto* display = std::get_if<DisplayFilter>(&filter)) {
        for (const X11Monitor& monitor : monitors) {
            if (monitor.id == display->displayID)
                return monitor.pixels;
        }
        throw error(noSuchDisplayCode,
                    QStringLiteral("The display %1 is not connected.").arg(display->displayID));
    }
    const quint32 id = std::get<WindowFilter>(filter).windowID;
    const auto window = m_windowServer.window(id);
    if (!window) {
        throw error(noSuchWindowCode, QStringLiteral("The window 0x%1 has closed.").arg(id, 0, 16));
    }
    const QRect root(0, 0, m_connection.screen()->width_in_pixels,
                     m_connection.screen()->height_in_pixels);
    const QRect visible = window->frame.intersected(monitorsBounds(monitors)).intersected(root);
    if (!window->onScreen || visible.isEmpty()) {
        throw error(nothingOnScreenCode,
                    QStringLiteral("The window 0x%1 is not on any screen.").arg(id, 0, 16));
    }
    return visible;
}

bool X11ScreenCapture::usesSharedMemory() const {
    if (m_sharedMemory)
        return *m_sharedMemory;
    const xcb_query_extension_reply_t* shm =
        xcb_get_extension_data(m_connection.get(), &xcb_shm_id);
    return shm != nullptr && shm->present;
}

void X11ScreenCapture::checkPixelFormat() const {
    const xcb_setup_t* setup = xcb_get_setup(m_connection.get());
    const xcb_screen_t* screen = m_connection.screen();
    int bitsPerPixel = 0;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == screen->root_depth)
            bitsPerPixel = it.data->bits_per_pixel;
    }
    const xcb_visualtype_t* visual = nullptr;
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0 && !visual;
         xcb_depth_next(&depths)) {
        for (auto it = xcb_depth_visuals_iterator(depths.data); it.rem > 0;
             xcb_visualtype_next(&it)) {
            if (it.data->visual_id == screen->root_visual) {
                visual = it.data;
                break;
            }
        }
    }
    const bool supported = bitsPerPixel == 32 &&
                           setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST &&
                           visual != nullptr && visual->red_mask == 0xff0000 &&
                           visual->green_mask == 0xff00 && visual->blue_mask == 0xff;
    if (!supported) {
        throw error(readFailedCode, QStringLiteral("The screen's pixel format (depth %1, %2 bits "
                                                   "per pixel) cannot be read.")
                                        .arg(screen->root_depth)
                                        .arg(bitsPerPixel));
    }
}

QImage X11ScreenCapture::grab(const QRect& rootPixels) {
    if (rootPixels.isEmpty())
        throw error(nothingOnScreenCode, QStringLiteral("The picture's area is empty."));
    checkPixelFormat();
    if (!m_sharedMemory || *m_sharedMemory) {
        if (auto image = grabShared(rootPixels))
            return *image;
    }
    return grabPlain(rootPixels);
}

// The server writes the pixels into a shared segment and the image is built over it: the pixels
// are never copied. The segment goes back to the pool when the image's last copy goes.
std::optional<QImage> X11ScreenCapture::grabShared(const QRect& rect) {
    xcb_connection_t* connection = m_connection.get();
    if (!usesSharedMemory()) {
        m_sharedMemory = false;
        return std::nullopt;
    }
    const size_t bytes = size_t(rect.width()) * size_t(rect.height()) * 4;
    const auto segment = m_pool->take(bytes);
    if (!segment) {
        // A server on another host or in another IPC namespace: plain reads from now on.
        m_sharedMemory = false;
        return std::nullopt;
    }
    // Until it is wrapped, a failure hands the segment straight back.
    xcb_generic_error_t* getError = nullptr;
    auto image = xcbReply(xcb_shm_get_image_reply(
        connection,
        xcb_shm_get_image(connection, m_connection.root(), static_cast<int16_t>(rect.x()),
                          static_cast<int16_t>(rect.y()), static_cast<uint16_t>(rect.width()),
                          static_cast<uint16_t>(rect.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                          segment->id, 0),
        &getError));
    if (!image || getError != nullptr || image->size < bytes) {
        std::free(getError);
        m_pool->giveBack(*segment);
        throw error(readFailedCode, QStringLiteral("The X server did not hand out the screen's "
                                                   "pixels."));
    }
    m_sharedMemory = true;
    return X11ShmPool::wrap(m_pool, *segment, rect.size(), qsizetype(rect.width()) * 4,
                            QImage::Format_RGB32);
}

QImage X11ScreenCapture::grabPlain(const QRect& rect) {
    xcb_connection_t* connection = m_connection.get();
    xcb_generic_error_t* getError = nullptr;
    auto answer = xcbReply(xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_connection.root(),
                      static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
                      static_cast<uint16_t>(rect.width()), static_cast<uint16_t>(rect.height()),
                      ~0u),
        &getError));
    const qsizetype rowBytes = qsizetype(rect.width()) * 4;
    if (!answer || getError != nullptr ||
        xcb_get_image_data_length(answer.get()) < rowBytes * rect.height()) {
        std::free(getError);
        throw error(readFailedCode,
                    QStringLiteral("The X server did not hand out the screen's pixels."));
    }
    QImage image(rect.size(), QImage::Format_RGB32);
    const uint8_t* data = xcb_get_image_data(answer.get());
    for (int row = 0; row < rect.height(); ++row)
        std::memcpy(image.scanLine(row), data + row * rowBytes, static_cast<size_t>(rowBytes));
    return image;
}

} // namespace vantrel
