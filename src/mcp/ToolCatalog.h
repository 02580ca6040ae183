#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace vantrel {

// The tools the server offers, in their fixed order, with their JSON Schemas, and the check of a
// call's arguments against them: the schema is the only statement of what a tool accepts.
struct ToolCatalog {
    static constexpr int defaultMaxImageEdge = 1568;
    static constexpr int defaultTreeBudgetTokens = 4000;
    static constexpr int maxPromptCharacters = 200;
    static constexpr int defaultTimeoutSeconds = 45;
    static constexpr int maxTimeoutSeconds = 300;

    static QJsonArray tools();
    static std::optional<QJsonObject> tool(const QString& name);
    // Arguments with every default filled in, or why they do not fit the tool's schema.
    struct Checked {
        QJsonObject arguments;
        QString error; // empty when the arguments fit
    };
    static Checked check(const QJsonObject& tool, const QJsonValue& arguments);
};

} // namespace vantrel
