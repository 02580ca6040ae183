#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

// What a capture produces.
enum class CaptureMode { bundle, screenshot, tree };

QList<CaptureMode> allCaptureModes();
QString rawValue(CaptureMode mode);
std::optional<CaptureMode> captureModeFromRaw(const QString& raw);
QString title(CaptureMode mode);
QString menuTitle(CaptureMode mode);
QString detail(CaptureMode mode);

} // namespace vantrel
