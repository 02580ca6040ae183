#pragma once

#include <QString>
#include <QUrl>

namespace vantrel {

// One screenshot file just written.
struct CapturedScreen {
    QUrl fileURL;
    QString label;
    bool isPrimary = false;
};

} // namespace vantrel
