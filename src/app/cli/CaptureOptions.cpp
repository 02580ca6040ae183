#include "CaptureOptions.h"

#include <QCommandLineParser>

#include <cmath>

namespace vantrel {

namespace {

// Comma-separated finite numbers, exactly `count` of them.
std::optional<QList<double>> parseNumbers(const QString& text, int count) {
    const QStringList parts = text.split(u',');
    if (parts.size() != count)
        return std::nullopt;
    QList<double> numbers;
    for (const QString& part : parts) {
        bool ok = false;
        const double value = part.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return std::nullopt;
        numbers.append(value);
    }
    return numbers;
}

QString invalid(const QString& option, const QString& value, const QString& expected) {
    return QStringLiteral("vantrel capture: --%1 \"%2\": expected %3").arg(option, value, expected);
}

} // namespace

QString CaptureOptions::usage() {
    return QStringLiteral(
        "usage: vantrel capture [--scene FILE] [--mode bundle|screenshot|tree] [--region X,Y,W,H]\n"
        "                       [--at X,Y] [--front-window] [--json] [--pasteboard-out FILE]\n"
        "                       [--no-clipboard] [--top-left] [--ask PROMPT [--pick-window]]\n"
        "                       [--via-app]\n");
}

std::variant<CaptureOptions, QString> CaptureOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {"scene", "Simulated desktop to capture.", "FILE"},
        {"mode", "Capture mode for this run.", "MODE"},
        {"region", "Area in bottom-left screen space.", "X,Y,W,H"},
        {"at", "Capture point in bottom-left screen space.", "X,Y"},
        {"front-window", "Start from the front window, as the menu's Copy Window."},
        {"json", "Print one JSON object."},
        {"pasteboard-out", "Also write the pasteboard items to FILE.", "FILE"},
        {"no-clipboard", "Leave the clipboard as it is."},
        {"top-left", "Read --region and --at in top-left screen space."},
        {"ask", "Let the user choose on the overlay, showing PROMPT.", "PROMPT"},
        {"pick-window", "With --ask: the user clicks a window instead of dragging."},
        {"via-app", "Let the running app capture, when it runs."},
    });
    if (!parser.parse(QStringList{QStringLiteral("vantrel")} + arguments))
        return QStringLiteral("vantrel capture: ") + parser.errorText();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("vantrel capture: unexpected argument \"%1\"")
            .arg(parser.positionalArguments().first());

    CaptureOptions options;
    if (parser.isSet("scene"))
        options.scenePath = parser.value("scene");
    if (parser.isSet("mode")) {
        options.mode = captureModeFromRaw(parser.value("mode"));
        if (!options.mode)
            return invalid("mode", parser.value("mode"), "bundle, screenshot or tree");
    }
    if (parser.isSet("region")) {
        const auto numbers = parseNumbers(parser.value("region"), 4);
        if (!numbers || (*numbers)[2] <= 0 || (*numbers)[3] <= 0)
            return invalid("region", parser.value("region"),
                           "four numbers X,Y,W,H with a positive width and height");
        options.region = QRectF((*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]);
    }
    if (parser.isSet("at")) {
        const auto numbers = parseNumbers(parser.value("at"), 2);
        if (!numbers)
            return invalid("at", parser.value("at"), "two numbers X,Y");
        options.at = QPointF((*numbers)[0], (*numbers)[1]);
    }
    options.frontWindow = parser.isSet("front-window");
    if (options.frontWindow && options.region)
        return QStringLiteral("vantrel capture: --front-window and --region cannot be combined");
    options.json = parser.isSet("json");
    if (parser.isSet("pasteboard-out"))
        options.pasteboardOut = parser.value("pasteboard-out");
    options.noClipboard = parser.isSet("no-clipboard");
    options.topLeft = parser.isSet("top-left");
    if (parser.isSet("ask")) {
        options.ask = parser.value("ask");
        if (options.region || options.frontWindow || options.at)
            return QStringLiteral(
                "vantrel capture: --ask cannot be combined with --region, --at or --front-window");
    }
    options.pickWindow = parser.isSet("pick-window");
    if (options.pickWindow && !options.ask)
        return QStringLiteral("vantrel capture: --pick-window needs --ask");
    options.viaApp = parser.isSet("via-app");
    if (options.viaApp && (options.scenePath || options.pasteboardOut))
        return QStringLiteral(
            "vantrel capture: --via-app cannot be combined with --scene or --pasteboard-out");
    options.arguments = arguments;
    return options;
}

} // namespace vantrel
