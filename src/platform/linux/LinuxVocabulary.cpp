#include "LinuxVocabulary.h"

namespace vantrel {

PlatformVocabulary LinuxVocabulary::words() {
    return {
        QStringLiteral("Ctrl+Alt+C"),
        QStringLiteral("Ctrl+Alt+R"),
        QStringLiteral("Ctrl+V"),
        // Desktops name the switch differently; this says what it does wherever it lives, and
        // what applications started before it need.
        QStringLiteral("your desktop's accessibility settings (turn on assistive technologies), "
                       "then restart the application you capture — Qt applications need "
                       "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1; “vantrel doctor” says what each "
                       "application needs"),
        // X11 lets every client read the screen, so this text only shows where that is not so.
        QStringLiteral("your desktop's screen-sharing settings (X11 itself grants it to every "
                       "application)"),
        QStringLiteral("Linux accessibility snapshot (AT-SPI)"),
        QStringLiteral("starts when you log in"),
        QStringLiteral("your desktop's startup applications settings"),
        QStringLiteral("Next: the two kinds of access Vantrel needs, and how to turn them on."),
        // Request Access switches the accessibility bus on; what it cannot do is restart the
        // applications that looked for it before.
        QStringLiteral("Request Access turns on your desktop's assistive technologies. Restart the "
                       "applications you want to capture afterwards; Qt applications also need "
                       "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 in their environment. “vantrel "
                       "doctor” lists what is missing."),
        QStringLiteral("On X11 every application may read the screen, so this is usually granted "
                       "already."),
        QStringLiteral("Waiting for you to turn it on in your desktop's settings…"),
        QStringLiteral("Open Desktop Settings"),
    };
}

AppIdentity LinuxVocabulary::identity() {
    return {QStringLiteral("Vantrel"), QStringLiteral("com.vantrel.Vantrel"), std::nullopt,
            std::nullopt};
}

} // namespace vantrel
