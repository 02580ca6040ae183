#include "AtspiRoleMap.h"

#include <QHash>
#include <QStringList>

namespace vantrel {

namespace {

constexpr auto textField = u"AXTextField";

// AT-SPI role name → the role the core knows. Roles absent here become "AX" + the name in
// CamelCase ("spin button" → "AXSpinButton"), so nothing is reported as a role it is not.
const QHash<QString, QString>& roleTable() {
    static const QHash<QString, QString> table{
        {QStringLiteral("application"), QStringLiteral("AXApplication")},
        {QStringLiteral("frame"), QStringLiteral("AXWindow")},
        {QStringLiteral("window"), QStringLiteral("AXWindow")},
        {QStringLiteral("dialog"), QStringLiteral("AXWindow")},
        {QStringLiteral("alert"), QStringLiteral("AXWindow")},
        {QStringLiteral("push button"), QStringLiteral("AXButton")},
        {QStringLiteral("button"), QStringLiteral("AXButton")}, // AT-SPI 2.56's name for it
        {QStringLiteral("push button menu"), QStringLiteral("AXMenuButton")},
        // A toggle keeps an on/off state, which is what a macOS check box reports.
        {QStringLiteral("toggle button"), QStringLiteral("AXCheckBox")},
        {QStringLiteral("switch"), QStringLiteral("AXCheckBox")}, // new in AT-SPI 2.56
        {QStringLiteral("check box"), QStringLiteral("AXCheckBox")},
        {QStringLiteral("radio button"), QStringLiteral("AXRadioButton")},
        {QStringLiteral("entry"), QString::fromUtf16(textField)},
        {QStringLiteral("text"), QString::fromUtf16(textField)},
        {QStringLiteral("editbar"), QString::fromUtf16(textField)},
        {QStringLiteral("password text"), QStringLiteral("AXSecureTextField")},
        {QStringLiteral("label"), QStringLiteral("AXStaticText")},
        {QStringLiteral("static"), QStringLiteral("AXStaticText")},
        {QStringLiteral("accelerator label"), QStringLiteral("AXStaticText")},
        {QStringLiteral("menu bar"), QStringLiteral("AXMenuBar")},
        {QStringLiteral("menu"), QStringLiteral("AXMenu")},
        {QStringLiteral("popup menu"), QStringLiteral("AXMenu")},
        {QStringLiteral("menu item"), QStringLiteral("AXMenuItem")},
        {QStringLiteral("check menu item"), QStringLiteral("AXMenuItem")},
        {QStringLiteral("radio menu item"), QStringLiteral("AXMenuItem")},
        {QStringLiteral("tearoff menu item"), QStringLiteral("AXMenuItem")},
        {QStringLiteral("list"), QStringLiteral("AXList")},
        {QStringLiteral("list box"), QStringLiteral("AXList")},
        {QStringLiteral("table"), QStringLiteral("AXTable")},
        {QStringLiteral("tree table"), QStringLiteral("AXOutline")},
        {QStringLiteral("tree"), QStringLiteral("AXOutline")},
        {QStringLiteral("list item"), QStringLiteral("AXRow")},
        {QStringLiteral("table row"), QStringLiteral("AXRow")},
        {QStringLiteral("tree item"), QStringLiteral("AXRow")},
        {QStringLiteral("table cell"), QStringLiteral("AXCell")},
        {QStringLiteral("scroll pane"), QStringLiteral("AXScrollArea")},
        {QStringLiteral("scroll bar"), QStringLiteral("AXScrollBar")},
        {QStringLiteral("slider"), QStringLiteral("AXSlider")},
        {QStringLiteral("combo box"), QStringLiteral("AXComboBox")},
        {QStringLiteral("tool bar"), QStringLiteral("AXToolbar")},
        {QStringLiteral("panel"), QStringLiteral("AXGroup")},
        {QStringLiteral("filler"), QStringLiteral("AXGroup")},
        {QStringLiteral("grouping"), QStringLiteral("AXGroup")},
        {QStringLiteral("section"), QStringLiteral("AXGroup")},
        {QStringLiteral("form"), QStringLiteral("AXGroup")},
        {QStringLiteral("split pane"), QStringLiteral("AXSplitGroup")},
        {QStringLiteral("image"), QStringLiteral("AXImage")},
        {QStringLiteral("icon"), QStringLiteral("AXImage")},
        {QStringLiteral("link"), QStringLiteral("AXLink")},
        {QStringLiteral("page tab list"), QStringLiteral("AXTabGroup")},
        // macOS shows the tabs of a tab group as radio buttons.
        {QStringLiteral("page tab"), QStringLiteral("AXRadioButton")},
        {QStringLiteral("progress bar"), QStringLiteral("AXProgressIndicator")},
        {QStringLiteral("level bar"), QStringLiteral("AXLevelIndicator")},
        {QStringLiteral("heading"), QStringLiteral("AXHeading")},
        {QStringLiteral("document web"), QStringLiteral("AXWebArea")},
        {QStringLiteral("tool tip"), QStringLiteral("AXHelpTag")},
    };
    return table;
}

QString camelCaseRole(const QString& atspiRole) {
    QString role = QStringLiteral("AX");
    for (const QString& word : atspiRole.split(u' ', Qt::SkipEmptyParts))
        role += word.left(1).toUpper() + word.mid(1);
    return role;
}

bool isTextEntry(const QString& role) {
    return role == u"entry" || role == u"text" || role == u"editbar";
}

} // namespace

QString AtspiRoleMap::axRole(const QString& atspiRole, bool multiLine) {
    if (atspiRole.isEmpty() || atspiRole == u"unknown" || atspiRole == u"invalid")
        return QStringLiteral("AXUnknown");
    if (multiLine && isTextEntry(atspiRole))
        return QStringLiteral("AXTextArea");
    return roleTable().value(atspiRole, camelCaseRole(atspiRole));
}

bool AtspiRoleMap::isProtectedText(const QString& atspiRole) {
    return atspiRole == u"password text";
}

} // namespace vantrel
