#pragma once

#include "platform/PlatformVocabulary.h"

#include <QString>

namespace vantrel {

// Why an accessibility snapshot could not be taken. The description is what the user reads.
struct AccessibilityCaptureError {
    enum class Code { permissionDenied, noElement, writeFailed, serializationFailed, targetGone };

    Code code;
    // Only permissionDenied speaks of the application and of where access is granted.
    QString appName;
    QString settingsPath;
    // writeFailed only: the file and the system's reason, so the user can act on it.
    QString detail;

    static AccessibilityCaptureError permissionDenied(const QString& appName,
                                                      const PlatformVocabulary& vocabulary) {
        return {Code::permissionDenied, appName, vocabulary.accessibilitySettingsPath, {}};
    }
    static AccessibilityCaptureError noElement() { return {Code::noElement, {}, {}, {}}; }
    static AccessibilityCaptureError writeFailed(const QString& detail) {
        return {Code::writeFailed, {}, {}, detail};
    }
    static AccessibilityCaptureError targetGone() { return {Code::targetGone, {}, {}, {}}; }
    static AccessibilityCaptureError serializationFailed() {
        return {Code::serializationFailed, {}, {}, {}};
    }

    QString localizedDescription() const;
    friend bool operator==(const AccessibilityCaptureError&,
                           const AccessibilityCaptureError&) = default;
};

} // namespace vantrel
