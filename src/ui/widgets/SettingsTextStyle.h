#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace vantrel {

// The settings window's text styles, relative to the window's own font so they follow it.
struct SettingsTextStyle {
    static void heading(QLabel& label);
    static void rowTitle(QLabel& label);
    static void callout(QWidget& widget);
    static void caption(QLabel& label);
    static void secondary(QWidget& widget);
    static void granted(QLabel& label);
    // Sets the text and names the label by it for assistive tools.
    static void setText(QLabel& label, const QString& text);
};

} // namespace vantrel
