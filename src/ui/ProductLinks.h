#pragma once

#include <QString>

namespace vantrel {

// The maker's web pages that the menu and the settings window link to.
struct ProductLinks {
    static inline const QString website = QStringLiteral("https://www.quendale.com");
    static inline const QString productPage = QStringLiteral("/vantrel/");
    static inline const QString documentation = QStringLiteral("/vantrel/documentation/");
    static inline const QString formatGuide =
        QStringLiteral("/vantrel/documentation/paste-formats/");
    static inline const QString feedback = QStringLiteral("/contact-us/");
    static inline const QString moreApps = QStringLiteral("/");
};

} // namespace vantrel
