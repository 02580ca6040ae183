#include "SnapshotOutline.h"

#include <QJsonArray>
#include <QPointF>
#include <QRectF>

#include <cmath>

namespace vantrel {

namespace {

// Room kept for the closing note.
constexpr int noteReserve = 240;

QString quoted(QString text) {
    text.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
    if (text.size() > SnapshotOutline::maxTextCharacters)
        text = text.left(SnapshotOutline::maxTextCharacters - 1) + u'…';
    text.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + text + u'"';
}

std::optional<QRectF> frameOf(const QJsonObject& node) {
    const QJsonObject frame = node.value("frame").toObject();
    if (!frame.contains("x") || !frame.contains("width"))
        return std::nullopt;
    return QRectF(frame.value("x").toDouble(), frame.value("y").toDouble(),
                  frame.value("width").toDouble(), frame.value("height").toDouble());
}

QJsonArray childrenOf(const QJsonObject& node) {
    return node.value("children").toArray();
}

int countNodes(const QJsonObject& node) {
    int count = 1;
    for (const QJsonValue& child : childrenOf(node))
        count += countNodes(child.toObject());
    return count;
}

// The preorder number of the deepest node whose frame holds point; 0 when none does.
void findTarget(const QJsonObject& node, QPointF point, int& number, int& target) {
    const int own = ++number;
    const auto frame = frameOf(node);
    if (frame && frame->contains(point))
        target = own;
    for (const QJsonValue& child : childrenOf(node))
        findTarget(child.toObject(), point, number, target);
}

// Finds the node numbered wanted; number counts on from the node given.
std::optional<QJsonObject> findNode(const QJsonObject& node, int wanted, int& number) {
    if (++number == wanted)
        return node;
    for (const QJsonValue& child : childrenOf(node)) {
        if (auto found = findNode(child.toObject(), wanted, number))
            return found;
    }
    return std::nullopt;
}

QString nodeLine(const QJsonObject& node, int depth, int number, bool target) {
    QString line(depth * 2, u' ');
    QString role = node.value("role").toString(QStringLiteral("unknown"));
    if (role.startsWith(QLatin1String("AX")) && role.size() > 2)
        role = role.mid(2);
    line += role;
    const QString title = node.value("title").toString();
    if (!title.isEmpty())
        line += u' ' + quoted(title);
    const QString value = node.value("value").toString();
    if (!value.isEmpty())
        line += QStringLiteral(" = ") + quoted(value);
    const QString description = node.value("description").toString();
    if (!description.isEmpty() && description != title)
        line += QStringLiteral(" (") + quoted(description) + u')';
    if (const auto frame = frameOf(node))
        line += QStringLiteral(" @%1,%2 %3x%4")
                    .arg(std::lround(frame->x()))
                    .arg(std::lround(frame->y()))
                    .arg(std::lround(frame->width()))
                    .arg(std::lround(frame->height()));
    QStringList states;
    if (node.value("focused").toBool())
        states.append(QStringLiteral("focused"));
    if (node.contains("enabled") && !node.value("enabled").toBool())
        states.append(QStringLiteral("disabled"));
    if (!states.isEmpty())
        line += QStringLiteral(" [") + states.join(QStringLiteral(", ")) + u']';
    line += QStringLiteral(" #n") + QString::number(number);
    if (target)
        line += QStringLiteral(" <- target");
    return line;
}

struct Walk {
    int budget;
    int maxDepth;
    int target;
    QString text;
    int shown = 0;
    int deeperLeftOut = 0;
    int firstLeftOut = 0; // the first node the budget cut, 0 when none
    bool full = false;

    void visit(const QJsonObject& node, int depth, int& number) {
        const int own = ++number;
        if (maxDepth >= 0 && depth > maxDepth) {
            const int below = countNodes(node);
            deeperLeftOut += below;
            number += below - 1;
            return;
        }
        if (!full) {
            const QString line = nodeLine(node, depth, own, own == target) + u'\n';
            if (text.size() + line.size() > budget) {
                full = true;
                firstLeftOut = own;
            } else {
                text += line;
                ++shown;
            }
        }
        for (const QJsonValue& child : childrenOf(node))
            visit(child.toObject(), depth + 1, number);
    }
};

} // namespace

SnapshotOutline::Result SnapshotOutline::render(const QJsonObject& snapshot,
                                                const Options& options) {
    const QJsonObject tree = snapshot.value("tree").toObject();
    int startNumber = 1;
    if (!options.startRef.isEmpty()) {
        bool ok = false;
        startNumber = options.startRef.startsWith(u'n') ? options.startRef.mid(1).toInt(&ok) : 0;
        if (!ok || startNumber < 1)
            return {{}, 0, 0, false};
    }
    int counter = 0;
    const auto start = findNode(tree, startNumber, counter);
    if (!start)
        return {{}, 0, 0, false};

    const QJsonObject mouse = snapshot.value("mouse").toObject();
    int targetNumber = 0;
    int targetCounter = 0;
    if (mouse.contains("x"))
        findTarget(tree, QPointF(mouse.value("x").toDouble(), mouse.value("y").toDouble()),
                   targetCounter, targetNumber);
    if (targetNumber == 0)
        targetNumber = 1;

    Walk walk{std::max(0, options.budgetTokens * charactersPerToken - noteReserve),
              options.maxDepth,
              targetNumber,
              {}};
    int number = startNumber - 1;
    walk.visit(*start, 0, number);

    Result result;
    result.totalNodes = countNodes(*start);
    result.shownNodes = walk.shown;
    result.text = walk.text;
    const int leftOut = result.totalNodes - result.shownNodes;
    if (leftOut > 0) {
        QString note =
            QStringLiteral("[%1 of %2 nodes left out").arg(leftOut).arg(result.totalNodes);
        if (walk.firstLeftOut > 0)
            note += QStringLiteral(", from #n%1 on, to stay within %2 tokens")
                        .arg(walk.firstLeftOut)
                        .arg(options.budgetTokens);
        if (walk.deeperLeftOut > 0)
            note += QStringLiteral("; %1 of them deeper than depth %2")
                        .arg(walk.deeperLeftOut)
                        .arg(options.maxDepth);
        const int suggested = walk.firstLeftOut > 0 ? walk.firstLeftOut : startNumber;
        note += QStringLiteral(". Read them with get_tree {\"capture_id\": \"%1\", \"ref\": "
                               "\"n%2\"}.]")
                    .arg(options.captureId)
                    .arg(suggested);
        result.text += note;
    }
    return result;
}

} // namespace vantrel
