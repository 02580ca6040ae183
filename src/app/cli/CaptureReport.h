#pragma once

#include "output/CaptureBundle.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

// What one command-line capture tells its caller, as text or as one JSON object.
struct CaptureReport {
    bool ok = false;
    QString status;
    QString statusFollowUp; // empty unless the tree came back empty
    std::optional<QString> toast;
    std::optional<QString> error;
    std::optional<CaptureBundle> bundle;
    QJsonArray pasteboard;
    QList<QUrl> openedURLs;
    bool cancelled = false; // the user cancelled the area selection

    QJsonObject toJson() const;
};

} // namespace vantrel
