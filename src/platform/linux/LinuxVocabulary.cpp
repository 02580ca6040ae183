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
                       "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"),
        // X11 lets every client read the screen, so this text only shows where that is not so.
        QStringLiteral("your desktop's screen-sharing settings (X11 itself grants it to every "
                       "application)"),
        QStringLiteral("Linux accessibility snapshot (AT-SPI)"),
        QStringLiteral("starts when you log in"),
        QStringLiteral("your desktop's startup applications settings"),
    };
}

} // namespace vantrel
