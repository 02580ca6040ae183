#pragma once

#include "platform/PlatformVocabulary.h"

#include <QString>

namespace vantrel {

// Why an accessibility snapshot could not be taken. The description is what the user reads.
struct AccessibilityCaptureError {
    enum class Code { permissionDenied, noElement, writeFailed, serializationFailed };

    Code code;
    // Only permissionDenied speaks of the application and of where access is granted.
    QString appName;
    QString settingsPath;

    static AccessibilityCaptureError permissionDenied(const QString& appName,
                                                      const PlatformVocabulary& vocabulary) {
        return {Code::permissionDenied, appName, vocabulary.accessibilitySettingsPath};
    }
    static AccessibilityCaptureError noElement() { return {Code::noElement, {}, {}}; }
    static AccessibilityCaptureError writeFailed() { return {Code::writeFailed, {}, {}}; }
    static AccessibilityCaptureError serializationFailed() {
        return {Code::serializationFailed, {}, {}};
    }

    QString localizedDescription() const;
    friend bool operator==(const AccessibilityCaptureError&,
                           const AccessibilityCaptureError&) = default;
};

} // namespace vantrel
