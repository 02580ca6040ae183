#pragma once

#include "platform/PlatformVocabulary.h"

#include <QString>

namespace vantrel {

// Why a screenshot could not be taken. The description is what the user reads.
struct ScreenCaptureError {
    enum class Code { permissionDenied, noDisplays, writeFailed, captureFailed };

    Code code;
    // Only permissionDenied speaks of the application and of where access is granted.
    QString appName;
    QString settingsPath;
    // writeFailed only: the file and the system's reason, so the user can act on it.
    QString detail;

    static ScreenCaptureError permissionDenied(const QString& appName,
                                               const PlatformVocabulary& vocabulary) {
        return {Code::permissionDenied, appName, vocabulary.screenRecordingSettingsPath, {}};
    }
    static ScreenCaptureError noDisplays() { return {Code::noDisplays, {}, {}, {}}; }
    static ScreenCaptureError writeFailed(const QString& detail) {
        return {Code::writeFailed, {}, {}, detail};
    }
    static ScreenCaptureError captureFailed() { return {Code::captureFailed, {}, {}, {}}; }

    QString localizedDescription() const;
    friend bool operator==(const ScreenCaptureError&, const ScreenCaptureError&) = default;
};

} // namespace vantrel
