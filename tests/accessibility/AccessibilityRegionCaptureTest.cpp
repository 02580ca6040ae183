#include "AccessibilityTestSupport.h"
#include "accessibility/AccessibilityRegionFilter.h"
#include "accessibility/AccessibilityRegionRootResolver.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::test;
using Resolver = AccessibilityRegionRootResolver;

namespace {

// The bottom-left area of the top-left rectangle (x, y, w, h) on the 1440 × 900 screen.
QRectF area(double x, double y, double w, double h) {
    return {x, 900 - y - h, w, h};
}

QJsonObject window(int id, int pid, const QJsonArray& bounds, std::optional<QJsonObject> ax = {},
                   int layer = 0, const QString& title = "Window") {
    QJsonObject result{
        {"id", id}, {"pid", pid}, {"bounds", bounds}, {"layer", layer}, {"title", title}};
    if (ax)
        result.insert("ax", *ax);
    return result;
}

QJsonObject axWindow(const QString& id, const QJsonArray& frame, const QString& title = "Window") {
    return {{"role", "AXWindow"}, {"id", id}, {"title", title}, {"frame", frame}};
}

// Pid 503 has no name unless the case gives it one (as JSON); our own pid is 900.
QByteArray desktop(const QJsonArray& windows, const char* name503 = "null") {
    return QStringLiteral(R"({"screens": [{"frame": [0, 0, 1440, 900]}], "self": {"pid": 900},
        "apps": [{"pid": 501, "name": "Mail"}, {"pid": 502, "name": "Notes"},
                 {"pid": 503, "name": %1}, {"pid": 504, "name": "Browser"}], "windows": %2})")
        .arg(QLatin1String(name503), QString::fromUtf8(QJsonDocument(windows).toJson()))
        .toUtf8();
}

const QJsonArray mailBounds{100, 100, 800, 600};
const QJsonObject mailWindow = window(11, 501, mailBounds, axWindow("mail", mailBounds));

// The resolution in words: the chosen AX window's scene id, pid, name and overlap.
QString describe(SimDesktop& sim, const Resolver::Resolution& resolution) {
    if (const auto* match = std::get_if<Resolver::Match>(&resolution)) {
        QString id = "?";
        for (const char* candidate : {"mail", "notes", "docsA", "docsB", "overlay", "panel"})
            if (sim.accessibility().element(candidate) == match->window)
                id = candidate;
        return QStringLiteral("%1 %2 %3 %4")
            .arg(id)
            .arg(match->pid)
            .arg(match->appName)
            .arg(match->intersectionArea);
    }
    if (const auto* unavailable = std::get_if<Resolver::AXUnavailable>(&resolution))
        return QStringLiteral("unavailable %1 %2").arg(unavailable->pid).arg(unavailable->appName);
    return "not found";
}

QVariantMap frame(QVariant x, QVariant y, QVariant width, QVariant height) {
    return {{"x", x}, {"y", y}, {"width", width}, {"height", height}};
}

SnapshotNode node(const QString& name, std::optional<QVariantMap> frameValue = std::nullopt,
                  QVariantList children = {}) {
    SnapshotNode result{{"identifier", name}, {"role", "AXGroup"}};
    if (frameValue)
        result.insert("frame", *frameValue);
    if (!children.isEmpty())
        result.insert("children", children);
    return result;
}

const QRectF filterArea(100, 100, 50, 50);

} // namespace

TEST(AccessibilityRegionRootResolver, PicksTheFrontmostUsableWindowOfAnotherApplication) {
    const QJsonArray notesBounds{100, 100, 400, 300}, backBounds{500, 300, 800, 500};
    const QJsonObject notes = window(21, 502, notesBounds, axWindow("notes", notesBounds));
    const QJsonObject notesNoAX = window(22, 502, notesBounds);
    const QJsonObject docs = window(40, 504, mailBounds, axWindow("docsA", mailBounds, "Docs"));
    const QJsonObject docsBack = window(41, 504, backBounds, axWindow("docsB", backBounds, "Docs"));
    const QJsonObject untitled =
        window(40, 504, mailBounds, axWindow("docsA", mailBounds, ""), 0, "");
    const QJsonObject notesAway =
        window(21, 502, notesBounds, axWindow("notes", {100, 100, 100, 100}));
    const QJsonObject nameless = window(23, 503, notesBounds);
    // Two tabs of one size whose titles differ from the window's: neither wins on title or score.
    const QJsonObject tabA =
        window(40, 504, mailBounds, axWindow("docsA", mailBounds, "A"), 0, "Docs");
    const QJsonObject tabB =
        window(41, 504, mailBounds, axWindow("docsB", mailBounds, "B"), 0, "Docs");
    // The window's own title outweighs another AX window's better fit to its bounds.
    const QJsonObject titled =
        window(40, 504, mailBounds, axWindow("docsA", {100, 100, 400, 300}, "Docs"), 0, "Docs");
    const QJsonObject fitting = window(41, 504, backBounds, axWindow("docsB", mailBounds, "B"));
    const QJsonArray screen{0, 0, 1440, 900};
    const QJsonObject overlay = window(1, 900, screen, axWindow("overlay", screen));
    const QJsonObject panel = window(2, 502, screen, axWindow("panel", screen), 3);
    const QRectF inMail = area(200, 200, 100, 100), onDocsBack = area(850, 650, 100, 100),
                 away = area(300, 300, 100, 100);
    const QString mail = "mail 501 Mail 10000", back = "docsB 504 Browser 10000";
    const std::tuple<const char*, QJsonArray, QRectF, QString> cases[] = {
        {"our own overlay is never chosen", {overlay, mailWindow}, inMail, mail},
        {"a window on another layer is skipped", {panel, mailWindow}, inMail, mail},
        {"3 points of overlap are too few", {notes, mailWindow}, area(497, 200, 100, 100), mail},
        {"four points are", {notes, mailWindow}, area(496, 200, 100, 100), "notes 502 Notes 400"},
        {"a shared title is decided by the overlap", {docs, docsBack}, onDocsBack, back},
        {"an app without AX windows before one with", {notesNoAX, mailWindow}, inMail, mail},
        {"an app without AX windows alone", {notesNoAX}, inMail, "unavailable 502 Notes"},
        {"the first such app counts", {nameless, notesNoAX}, inMail, "unavailable 503 pid 503"},
        {"an empty title matches no AX window", {untitled, docsBack}, onDocsBack, back},
        {"an AX window away from the area", {notesAway}, away, "unavailable 502 Notes"},
        {"an empty desktop area", {mailWindow}, area(1000, 750, 100, 100), "not found"},
        {"equal scores keep the first AX window", {tabA, tabB}, inMail, "docsA 504 Browser 10000"},
        {"a unique title beats a better fit", {titled, fitting}, inMail, "docsA 504 Browser 10000"},
    };
    for (const auto& [name, windows, area, expected] : cases) {
        SimDesktop sim(SceneLoader::fromJson(desktop(windows)));
        const auto resolution =
            Resolver::resolve(sim.accessibility(), sim.windowServer(), sim.screens(), area);
        EXPECT_EQ(describe(sim, resolution), expected) << name;
    }
}

// What the region note reports, and the tree kept, for each way a root is found.
TEST(AccessibilityRegionCapture, NotesAndTreesFollowHowTheRootWasFound) {
    const auto mailWith = [](const QJsonArray& children) {
        QJsonObject root = axWindow("mail", mailBounds);
        root.insert("children", children);
        return window(11, 501, mailBounds, root);
    };
    const QJsonArray mail{
        QJsonObject{{"role", "AXButton"}, {"frame", QJsonArray{120, 110, 80, 30}}},
        QJsonObject{{"role", "AXButton"}, {"frame", QJsonArray{600, 400, 80, 30}}},
        QJsonObject{{"role", "AXStaticText"}}};
    // The area grows by 2 points: children whose corner lies on its right or bottom edge stay,
    // one a point further does not.
    const QJsonArray edges{QJsonObject{{"frame", QJsonArray{302, 250, 9, 9}}},
                           QJsonObject{{"frame", QJsonArray{250, 302, 9, 9}}},
                           QJsonObject{{"frame", QJsonArray{303, 250, 9, 9}}},
                           QJsonObject{{"frame", QJsonArray{250, 303, 9, 9}}}};
    // Inside the area: a chain nine levels deep, and 301 elements.
    QJsonObject deep{{"frame", QJsonArray{210, 210, 5, 5}}};
    for (int level = 0; level < 8; ++level)
        deep = {{"frame", QJsonArray{200, 200, 50, 50}}, {"children", QJsonArray{deep}}};
    QJsonArray groups;
    for (int group = 0; group < 12; ++group) {
        QJsonArray leaves;
        for (int leaf = 0; leaf < 24; ++leaf)
            leaves.append(QJsonObject{{"frame", QJsonArray{210, 210, 5, 5}}});
        groups.append(QJsonObject{{"frame", QJsonArray{200, 200, 50, 50}}, {"children", leaves}});
    }
    // A floating panel is skipped by the resolver but found by the hit-test.
    const QJsonObject panel{{"role", "AXGroup"},
                            {"children", QJsonArray{QJsonObject{{"role", "AXStaticText"}},
                                                    QJsonObject{{"role", "AXCell"}}}}};
    const auto kept = [](int nodes, const char* size = "100×100") {
        return QStringLiteral("region root: Mail (pid 501); region: %1 ax, kept %2 nodes")
            .arg(QString::fromUtf8(size))
            .arg(nodes);
    };
    const struct {
        const char* name;
        QJsonArray windows;
        QString note;
        int nodeCount;
        QRectF region = area(200, 200, 100, 100);
        QString rootRole = "AXWindow";
    } cases[] = {
        {"pruned to the area", {mailWith(mail)}, kept(2, "120×60"), 2, area(110, 100, 120.7, 60)},
        {"edges of the area", {mailWith(edges)}, kept(3), 3},
        {"two levels deeper than at the cursor", {mailWith({deep})}, kept(7), 7},
        {"twice the nodes of the cursor", {mailWith(groups)}, kept(240), 240},
        {"hit-test fallback",
         {window(5, 502, {100, 100, 400, 300}, panel, 3)},
         "region root: NOT RESOLVED → cursor hit-test; region: no AX frames in rect; kept 3 nodes",
         3,
         area(200, 200, 50, 50),
         "AXGroup"},
        {"no AX windows",
         {window(22, 502, {100, 100, 400, 300})},
         "region root: none — Notes (pid 502) exposes no AX windows",
         1,
         area(200, 200, 100, 100),
         "AXApplication"},
        {"an app named like the note",
         {window(11, 503, mailBounds, axWindow("w", mailBounds))},
         "region root: Tool exposes no AX windows (pid 503); region: 100×100 ax, kept 1 nodes",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureHarness harness(desktop(c.windows, R"("Tool exposes no AX windows")"));
        const auto record = harness.service.captureUnderMouse(c.region.center(), c.region, false);
        EXPECT_EQ(record.regionNote.value_or("").toStdString(), c.note.toStdString());
        EXPECT_EQ(record.nodeCount, c.nodeCount);
        const QJsonObject file = readJson(record.fileURL.toLocalFile());
        EXPECT_EQ(file["tree"].toObject()["role"].toString(), c.rootRole);
        EXPECT_EQ(file["regionNote"].toString(), c.note);
    }
}

TEST(AccessibilityRegionFilter, KeepsWhatLiesInTheAreaAndThePathToIt) {
    const SnapshotNode inside = node("inside", frame(110.0, 110.0, 10.0, 10.0));
    const SnapshotNode outside = node("outside", frame(300.0, 300.0, 10.0, 10.0));
    const SnapshotNode point = node("point", frame(120.0, 120.0, 0.0, 0.0));
    const SnapshotNode window = node("window", frame(0.0, 0.0, 800.0, 600.0));
    const SnapshotNode unframed = node("unframed");
    struct Case {
        const char* name;
        SnapshotNode tree;
        std::optional<SnapshotNode> expected;
    };
    const QList<Case> cases{
        {"leaf outside", outside, std::nullopt},
        {"zero-size leaf with its origin inside", point, point},
        {"unframed group keeps only the child that hits",
         node("group", std::nullopt, {outside, inside, unframed}),
         node("group", std::nullopt, {inside})},
        {"window over the area with nothing below it",
         node("window", frame(0.0, 0.0, 800.0, 600.0), {outside}), window},
        {"nothing hits", node("group", std::nullopt, {outside, unframed}), std::nullopt},
        {"integer frame numbers", node("ints", frame(110, 110, 5, 5)),
         node("ints", frame(110, 110, 5, 5))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AccessibilityRegionFilter::filter(c.tree, filterArea), c.expected) << c.name;
}
