#pragma once

// Runs screen-capture tasks to their end and keeps what they threw, so error paths can be checked
// without a test hanging on an exception that never reaches the event loop.

#include "platform/PlatformError.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/ScreenCaptureError.h"
#include "support/QtPrinters.h"

#include <QBuffer>
#include <QCoro/QCoroTask>
#include <QImageWriter>

#include <memory>
#include <optional>

namespace vantrel::testing {

template <class T> struct Settled {
    std::optional<T> value;
    std::optional<ScreenCaptureError> screenError;
    std::optional<PlatformError> platformError;
};

template <class T> Settled<T> settle(QCoro::Task<T> task) {
    Settled<T> settled;
    auto run = [](QCoro::Task<T> inner, Settled<T>& out) -> QCoro::Task<> {
        try {
            out.value = co_await std::move(inner);
        } catch (const ScreenCaptureError& error) {
            out.screenError = error;
        } catch (const PlatformError& error) {
            out.platformError = error;
        }
    };
    QCoro::waitFor(run(std::move(task), settled));
    return settled;
}

// What Qt's own JPEG writer makes of a picture at the quality screenshots are stored with.
inline QByteArray qtJpeg(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(82);
    writer.write(image);
    return buffer.data();
}

} // namespace vantrel::testing
