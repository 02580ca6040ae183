#include "ToolCatalog.h"

#include <cmath>

namespace vantrel {

namespace {

QJsonObject integer(const QString& description, int minimum, int maximum,
                    std::optional<int> fallback = std::nullopt) {
    QJsonObject schema{{"type", "integer"},
                       {"description", description},
                       {"minimum", minimum},
                       {"maximum", maximum}};
    if (fallback)
        schema.insert("default", *fallback);
    return schema;
}

// Screen coordinates: far beyond any desktop, but finite and small enough to pass on unchanged.
constexpr double farthest = 100000;

QJsonObject number(const QString& description, double minimum) {
    return {{"type", "number"},
            {"description", description},
            {"minimum", minimum},
            {"maximum", farthest}};
}

QJsonObject boolean(const QString& description, bool fallback) {
    return {{"type", "boolean"}, {"description", description}, {"default", fallback}};
}

QJsonObject choice(const QString& description, const QStringList& values, const QString& fallback) {
    return {{"type", "string"},
            {"description", description},
            {"enum", QJsonArray::fromStringList(values)},
            {"default", fallback}};
}

QJsonObject imageOptions() {
    return {
        {"include_image", boolean("Return the screenshot as an image.", true)},
        {"max_image_edge",
         integer("Longest edge of the returned image in pixels; the image is also kept under 1.15 "
                 "megapixels.",
                 64, 8192, ToolCatalog::defaultMaxImageEdge)},
        {"tree_budget_tokens",
         integer("Size of the accessibility outline in tokens (characters / 4); the rest is left "
                 "to get_tree.",
                 100, 100000, ToolCatalog::defaultTreeBudgetTokens)},
    };
}

QJsonObject captureOptions() {
    QJsonObject options = imageOptions();
    options.insert(
        "copy_to_clipboard",
        boolean("Also put the capture on the user's clipboard, replacing what is there.", false));
    return options;
}

QJsonObject objectSchema(QJsonObject properties, const QStringList& required = {}) {
    QJsonObject schema{
        {"type", "object"}, {"properties", properties}, {"additionalProperties", false}};
    if (!required.isEmpty())
        schema.insert("required", QJsonArray::fromStringList(required));
    return schema;
}

QJsonObject merged(QJsonObject base, const QJsonObject& more) {
    for (auto it = more.begin(); it != more.end(); ++it)
        base.insert(it.key(), it.value());
    return base;
}

QJsonObject toolEntry(const QString& name, const QString& title, const QString& description,
                      const QJsonObject& inputSchema, bool readOnly) {
    return {{"name", name},
            {"title", title},
            {"description", description},
            {"inputSchema", inputSchema},
            {"annotations", QJsonObject{{"readOnlyHint", readOnly}, {"openWorldHint", false}}}};
}

QJsonObject listCapturesOutput() {
    const QJsonObject capture = objectSchema(
        {{"id", QJsonObject{{"type", "string"}}},
         {"time", QJsonObject{{"type", "string"}, {"description", "Local time, ISO 8601."}}},
         {"target", QJsonObject{{"type", "string"}}},
         {"folder", QJsonObject{{"type", "string"}}}},
        {"id", "time", "target", "folder"});
    return objectSchema({{"captures", QJsonObject{{"type", "array"}, {"items", capture}}},
                         {"nextCursor", QJsonObject{{"type", "string"}}}},
                        {"captures"});
}

QString typeName(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
        return "null";
    case QJsonValue::Bool:
        return "a boolean";
    case QJsonValue::Double:
        return "a number";
    case QJsonValue::String:
        return "a string";
    case QJsonValue::Array:
        return "an array";
    case QJsonValue::Object:
        return "an object";
    default:
        return "nothing";
    }
}

// Why value does not fit schema (the subset of JSON Schema the tools use), or empty.
QString mismatch(const QString& name, const QJsonObject& schema, const QJsonValue& value) {
    const QString type = schema.value("type").toString();
    const QString expected = QStringLiteral("\"%1\" must be %2, not %3");
    if (type == "boolean" && !value.isBool())
        return expected.arg(name, "a boolean", typeName(value));
    if (type == "string") {
        if (!value.isString())
            return expected.arg(name, "a string", typeName(value));
        const QString text = value.toString();
        if (schema.contains("enum") && !schema.value("enum").toArray().contains(text)) {
            QStringList values;
            for (const QJsonValue& option : schema.value("enum").toArray())
                values.append('"' + option.toString() + '"');
            return QStringLiteral("\"%1\" must be one of %2").arg(name, values.join(", "));
        }
        if (schema.contains("maxLength") && text.size() > schema.value("maxLength").toInt())
            return QStringLiteral("\"%1\" is %2 characters long; at most %3 are allowed")
                .arg(name)
                .arg(text.size())
                .arg(schema.value("maxLength").toInt());
        if (schema.contains("minLength") && text.size() < schema.value("minLength").toInt())
            return QStringLiteral("\"%1\" must not be empty").arg(name);
    }
    if (type == "integer" || type == "number") {
        if (!value.isDouble() || !std::isfinite(value.toDouble()))
            return expected.arg(name, type == "integer" ? "an integer" : "a number",
                                typeName(value));
        const double number = value.toDouble();
        if (type == "integer" && number != std::floor(number))
            return expected.arg(name, "an integer", "a fraction");
        if (schema.contains("minimum") && number < schema.value("minimum").toDouble())
            return QStringLiteral("\"%1\" must be at least %2")
                .arg(name)
                .arg(schema.value("minimum").toDouble());
        if (schema.contains("maximum") && number > schema.value("maximum").toDouble())
            return QStringLiteral("\"%1\" must be at most %2")
                .arg(name)
                .arg(schema.value("maximum").toDouble());
    }
    return {};
}

} // namespace

QJsonArray ToolCatalog::tools() {
    return {
        toolEntry("get_latest_capture", "Latest capture",
                  "The newest capture: what the user captured a moment ago with the hotkey, or the "
                  "last capture made through this server. Use it first when the user says they "
                  "captured something or refers to what is on their screen.",
                  objectSchema(imageOptions()), true),
        toolEntry(
            "capture_window", "Capture a window",
            "Captures a window now: a screenshot and its accessibility tree. \"under_pointer\" "
            "takes the window the mouse pointer is over, \"front_window\" the focused window. "
            "Use it when you need to see the current state of an application yourself.",
            objectSchema(
                merged(captureOptions(),
                       {{"target", choice("Which window to capture.",
                                          {"under_pointer", "front_window"}, "under_pointer")}})),
            false),
        toolEntry("capture_area", "Capture an area",
                  "Captures a rectangle of the screen, in screen pixels with the origin at the top "
                  "left of the first screen: a screenshot and the accessibility tree of what lies "
                  "in it. Use it when you know the coordinates, for example from an earlier "
                  "capture's outline.",
                  objectSchema(merged(captureOptions(),
                                      {{"x", number("Left edge in screen pixels.", -farthest)},
                                       {"y", number("Top edge in screen pixels.", -farthest)},
                                       {"width", number("Width in screen pixels.", 1)},
                                       {"height", number("Height in screen pixels.", 1)}}),
                               {"x", "y", "width", "height"}),
                  false),
        toolEntry(
            "ask_user_to_capture", "Ask the user to point at something",
            "Shows the user a prompt over their screen and lets them drag an area (or click a "
            "window) to show you what they mean. Use it when you cannot tell which part of the "
            "screen the user is talking about. Waits until they choose, press Esc, or the "
            "timeout passes.",
            objectSchema(
                merged(captureOptions(),
                       {{"prompt",
                         QJsonObject{{"type", "string"},
                                     {"description", "What to ask the user, shown on the overlay."},
                                     {"minLength", 1},
                                     {"maxLength", maxPromptCharacters}}},
                        {"mode",
                         choice("Drag an area, or click a window.", {"area", "window"}, "area")},
                        {"timeout_s", integer("Seconds to wait for the user.", 1, maxTimeoutSeconds,
                                              defaultTimeoutSeconds)}}),
                {"prompt"}),
            false),
        [] {
            QJsonObject listing = toolEntry(
                "list_captures", "List captures",
                "The capture folders, newest first: id, time, what was captured, and the "
                "folder. Use it to find an earlier capture for get_tree or the resources.",
                objectSchema(
                    {{"limit", integer("How many captures to return.", 1, 100, 10)},
                     {"cursor", QJsonObject{{"type", "string"},
                                            {"description", "nextCursor of the previous page."}}}}),
                true);
            listing.insert("outputSchema", listCapturesOutput());
            return listing;
        }(),
        toolEntry("get_tree", "Read an accessibility subtree",
                  "A part of a capture's accessibility tree as an outline: the node with the given "
                  "ref (as the outline of a capture shows it, such as \"n12\") and its descendants "
                  "down to the given depth. Use it to read what an outline left out.",
                  objectSchema(
                      {{"capture_id", QJsonObject{{"type", "string"},
                                                  {"description", "The capture's id, as listed."}}},
                       {"ref", QJsonObject{{"type", "string"},
                                           {"description",
                                            "The node to start from; the root by default."}}},
                       {"depth", integer("Levels below the node to include.", 0, 64, 8)}},
                      {"capture_id"}),
                  true),
    };
}

std::optional<QJsonObject> ToolCatalog::tool(const QString& name) {
    for (const QJsonValue& entry : tools()) {
        if (entry.toObject().value("name").toString() == name)
            return entry.toObject();
    }
    return std::nullopt;
}

ToolCatalog::Checked ToolCatalog::check(const QJsonObject& tool, const QJsonValue& arguments) {
    if (!arguments.isUndefined() && !arguments.isNull() && !arguments.isObject())
        return {{}, QStringLiteral("arguments must be an object")};
    const QJsonObject given = arguments.toObject();
    const QJsonObject schema = tool.value("inputSchema").toObject();
    const QJsonObject properties = schema.value("properties").toObject();
    for (auto it = given.begin(); it != given.end(); ++it) {
        if (!properties.contains(it.key()))
            return {{}, QStringLiteral("unknown argument \"%1\"").arg(it.key())};
        const QString problem = mismatch(it.key(), properties.value(it.key()).toObject(), *it);
        if (!problem.isEmpty())
            return {{}, problem};
    }
    for (const QJsonValue& name : schema.value("required").toArray()) {
        if (!given.contains(name.toString()))
            return {{}, QStringLiteral("missing argument \"%1\"").arg(name.toString())};
    }
    QJsonObject filled = given;
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        const QJsonObject property = it->toObject();
        if (!filled.contains(it.key()) && property.contains("default"))
            filled.insert(it.key(), property.value("default"));
    }
    return {filled, {}};
}

} // namespace vantrel
