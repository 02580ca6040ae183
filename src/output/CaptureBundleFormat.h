#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

// Which document of a capture folder the pasteboard points at; both are always written.
enum class CaptureBundleFormat { stable, experimental };

QList<CaptureBundleFormat> allCaptureBundleFormats();
QString rawValue(CaptureBundleFormat format);
std::optional<CaptureBundleFormat> captureBundleFormatFromRaw(const QString& raw);
QString title(CaptureBundleFormat format);
QString fileName(CaptureBundleFormat format);

} // namespace vantrel
