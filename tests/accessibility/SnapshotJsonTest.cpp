#include "accessibility/SnapshotJson.h"

#include <QDateTime>
#include <QJsonDocument>
#include <gtest/gtest.h>

#include <limits>

using namespace vantrel;

namespace {

QString units(std::initializer_list<char16_t> list) {
    QString text;
    for (char16_t unit : list)
        text += QChar(unit);
    return text;
}

// What the writer must match byte for byte; as text, so a failure shows where they part.
std::string throughQJsonDocument(const QVariantMap& map) {
    const auto object = SnapshotJson::object(map);
    return object ? QJsonDocument(*object).toJson(QJsonDocument::Indented).toStdString()
                  : "(refused)";
}

std::string indented(const QVariantMap& map) {
    return SnapshotJson::indented(map).value_or("(refused)").toStdString();
}

TEST(SnapshotJson, IndentedMatchesQJsonDocument) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        QVariantMap map;
    } cases[] = {
        {"empty", {}},
        {"empty containers", {{"list", QVariantList{}}, {"map", QVariantMap{}}}},
        {"nested",
         {{"children", QVariantList{QVariantMap{{"role", "AXButton"}, {"children", QVariantList{}}},
                                    QVariantList{1, QVariantList{}}}},
          {"frame", QVariantMap{{"x", 1.5}, {"y", -0.0}, {"width", 1e21}, {"height", 1e-7}}}}},
        {"numbers",
         {{"a", 0.1 + 0.2},
          {"b", 1e6},
          {"c", 100.0},
          {"d", 123456789012345678LL},
          {"e", std::numeric_limits<qint64>::min()},
          {"f", 0.1f},
          {"g", -42},
          {"h", 5e-324},
          {"i", 1e15},
          {"j", 9.0e15},
          {"k", -9.1e15},
          {"l", 9007199254740992.0},
          {"m", 30000000000.0},
          {"n", -0.0},
          {"o", 2.5e-5}}},
        {"booleans", {{"no", false}, {"yes", true}}},
        {"escapes", {{"s", QStringLiteral("\"\\\b\f\n\r\t\x01\x1f\x7f/</")}}},
        {"non-ASCII", {{"s", QStringLiteral("é€😀 \u0301\uFFFF")}}},
        {"lone surrogates",
         {{"end", units({u'a', 0xD800})},
          {"low", units({0xDC00, u'b'})},
          {"high then text", units({0xD800, u'x'})},
          {"pair", units({0xD83D, 0xDE00})}}},
        {"null and empty strings", {{"empty", QString("")}, {"null", QString()}}},
        {"keys",
         {{"b", 1},
          {"a", 2},
          {"B", 3},
          {"", 4},
          {"é", 5},
          {units({0xE000}), 6},
          {QStringLiteral("😀"), 7},
          {units({0xD800}), 8},
          {units({0xFFFF}), 9},
          {"a\"b\n", 10}}},
        {"infinity", {{"frame", QVariantList{1.0, inf}}}},
        {"NaN deep down",
         {{"children",
           QVariantList{QVariantMap{{"x", std::numeric_limits<double>::quiet_NaN()}}}}}},
        {"float infinity", {{"x", std::numeric_limits<float>::infinity()}}},
        {"unsupported type", {{"when", QDateTime::fromSecsSinceEpoch(0)}}},
        {"unsigned", {{"n", 1u}}},
        {"string list", {{"l", QStringList{"a"}}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(indented(c.map), throughQJsonDocument(c.map)) << c.name;
}

TEST(SnapshotJson, IndentedRefusesWhatJsonCannotHold) {
    const QVariantMap refused[] = {
        {{"x", std::numeric_limits<double>::infinity()}},
        {{"l", QVariantList{QVariantMap{{"y", -std::numeric_limits<double>::infinity()}}}}},
        {{"x", std::numeric_limits<double>::quiet_NaN()}},
        {{"n", 1u}},
    };
    for (const QVariantMap& map : refused)
        EXPECT_FALSE(SnapshotJson::indented(map));
}

} // namespace
