#include "CaptureReport.h"

namespace vantrel {

namespace {

QJsonValue optionalString(const std::optional<QString>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue bundleJson(const std::optional<CaptureBundle>& bundle) {
    if (!bundle)
        return QJsonValue::Null;
    return QJsonObject{
        {"directory", bundle->directory.toLocalFile()},
        {"stableCaptureURL", bundle->stableCaptureURL.toLocalFile()},
        {"experimentalCaptureURL", bundle->experimentalCaptureURL.toLocalFile()},
        {"screenshotURL", bundle->screenshotURL ? QJsonValue(bundle->screenshotURL->toLocalFile())
                                                : QJsonValue(QJsonValue::Null)},
        {"accessibilityURL", bundle->accessibilityURL.toLocalFile()},
    };
}

} // namespace

QJsonObject CaptureReport::toJson() const {
    QJsonArray opened;
    for (const QUrl& url : openedURLs)
        opened.append(url.toString());
    QJsonObject object{
        {"ok", ok},
        {"status", status},
        {"toast", optionalString(toast)},
        {"error", optionalString(error)},
        {"bundle", bundleJson(bundle)},
        {"pasteboard", pasteboard},
        {"openedURLs", opened},
    };
    // Only when there is one, so every other report keeps its keys.
    if (!statusFollowUp.isEmpty())
        object.insert(QStringLiteral("statusFollowUp"), statusFollowUp);
    return object;
}

} // namespace vantrel
