#include "CaptureBundleFormat.h"

namespace vantrel {

QList<CaptureBundleFormat> allCaptureBundleFormats() {
    return {CaptureBundleFormat::stable, CaptureBundleFormat::experimental};
}

QString rawValue(CaptureBundleFormat format) {
    return format == CaptureBundleFormat::stable ? QStringLiteral("stable")
                                                 : QStringLiteral("experimental");
}

std::optional<CaptureBundleFormat> captureBundleFormatFromRaw(const QString& raw) {
    for (CaptureBundleFormat format : allCaptureBundleFormats()) {
        if (rawValue(format) == raw)
            return format;
    }
    return std::nullopt;
}

QString title(CaptureBundleFormat format) {
    return format == CaptureBundleFormat::stable ? QStringLiteral("Stable (capture.md)")
                                                 : QStringLiteral("Experimental (capture1.md)");
}

QString fileName(CaptureBundleFormat format) {
    return format == CaptureBundleFormat::stable ? QStringLiteral("capture.md")
                                                 : QStringLiteral("capture1.md");
}

} // namespace vantrel
