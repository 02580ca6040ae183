#pragma once

// Small stand-ins for the capture services, so the pipeline can be driven through every outcome.

#include "accessibility/AccessibilityCaptureError.h"
#include "accessibility/AccessibilityCapturing.h"
#include "output/BundleWriting.h"
#include "output/PasteboardWriting.h"
#include "platform/PlatformError.h"
#include "screen/PngEncoder.h"
#include "screen/ScreenCaptureError.h"
#include "screen/ScreenCapturing.h"

#include <QList>
#include <QStringList>

#include <optional>
#include <variant>

namespace vantrel::testing {

struct AccessibilityCall {
    std::optional<QPointF> point;
    bool preferFrontWindow = false;
    bool operator==(const AccessibilityCall&) const = default;
};

class FakeAccessibilityCapture final : public AccessibilityCapturing {
  public:
    CapturedAccessibility result{QUrl::fromLocalFile("/tmp/ax-1-ABCDEF12.json"), 11,
                                 QStringLiteral("Button \"Send\" · Inbox"),
                                 QStringLiteral("preview"), std::nullopt};
    std::optional<AccessibilityCaptureError> error;
    QList<AccessibilityCall> calls;

    CapturedAccessibility captureUnderMouse(std::optional<QPointF> point, std::optional<QRectF>,
                                            bool preferFrontWindow) override {
        calls.append({point, preferFrontWindow});
        if (error)
            throw *error;
        return result;
    }
};

using ScreenFailure = std::variant<ScreenCaptureError, PlatformError>;

class FakeScreenCapture final : public ScreenCapturing {
  public:
    QList<CapturedScreen> windowResult;
    CapturedScreen regionResult;
    std::optional<ScreenFailure> failure;
    // Whether only the window was asked for, and which window was left out.
    QList<std::pair<bool, std::optional<quint32>>> windowCalls;
    QList<QRectF> regionCalls;
    QList<PngWanted> pngWanted; // by every call

    QCoro::Task<QList<CapturedScreen>> capture(bool windowOnly, std::optional<quint32> excluded,
                                               PngWanted png) override {
        windowCalls.append({windowOnly, excluded});
        pngWanted.append(png);
        throwFailure();
        // A copy: GCC 12 moves from a member named in co_return.
        QList<CapturedScreen> result = windowResult;
        for (CapturedScreen& record : result)
            withPng(record, png);
        co_return result;
    }
    QCoro::Task<CapturedScreen> capture(QRectF region, PngWanted png) override {
        regionCalls.append(region);
        pngWanted.append(png);
        throwFailure();
        CapturedScreen result = regionResult;
        withPng(result, png);
        co_return result;
    }

  private:
    // As the real service: the PNG comes with the pixels when it was asked for.
    static void withPng(CapturedScreen& record, PngWanted png) {
        if (png == PngWanted::yes && !record.image.isNull())
            record.png = QtFuture::makeReadyFuture(PngEncoder::encode(record.image));
    }
    void throwFailure() const {
        if (failure)
            std::visit([](const auto& error) { throw error; }, *failure);
    }
};

class FakeBundleWriter final : public BundleWriting {
  public:
    std::optional<PlatformError> error;
    QList<std::optional<QByteArray>> pngs; // what each write was given to save

    QCoro::Task<CaptureBundle> write(const CapturedAccessibility&,
                                     const std::optional<QFuture<QByteArray>>& png) override {
        pngs.append(png ? std::optional(png->result()) : std::nullopt);
        if (error)
            throw *error;
        const CaptureBundle result{
            QUrl::fromLocalFile("/tmp/captures/b"), {}, {}, std::nullopt, {}};
        co_return result;
    }
};

// Records which payload was written; "nothing written" is an empty list.
class FakePasteboardWriter final : public PasteboardWriting {
  public:
    struct Write {
        QString kind;
        bool hasImage = false;
        std::optional<BundlePasteboardFormat> format;
        std::optional<ScreenshotSubject> subject;
        bool operator==(const Write&) const = default;
    };
    QList<Write> writes;

    void writeBundle(const CaptureBundle&, const CapturedAccessibility&,
                     const std::optional<QImage>& screenshot, ScreenshotSubject subject,
                     BundlePasteboardFormat format) override {
        writes.append({"bundle", screenshot.has_value(), format, subject});
    }
    void writeScreenshot(const QImage& image, const std::optional<QUrl>&,
                         ScreenshotSubject subject) override {
        writes.append({"screenshot", !image.isNull(), std::nullopt, subject});
    }
    void writeTree(const CapturedAccessibility&) override {
        writes.append({"tree", false, std::nullopt, std::nullopt});
    }
};

} // namespace vantrel::testing
