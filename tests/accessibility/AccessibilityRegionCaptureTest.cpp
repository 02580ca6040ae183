#include "AccessibilityTestSupport.h"
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

QByteArray desktop(const QJsonArray& windows) {
    const QJsonObject scene{
        {"screens", QJsonArray{QJsonObject{{"frame", QJsonArray{0, 0, 1440, 900}}}}},
        {"apps", QJsonArray{QJsonObject{{"pid", 501}, {"name", "Mail"}},
                            QJsonObject{{"pid", 502}, {"name", "Notes"}},
                            QJsonObject{{"pid", 503}, {"name", QJsonValue::Null}},
                            QJsonObject{{"pid", 504}, {"name", "Browser"}}}},
        {"self", QJsonObject{{"pid", 900}}},
        {"windows", windows},
    };
    return QJsonDocument(scene).toJson();
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

} // namespace

TEST(AccessibilityRegionRootResolver, PicksTheFrontmostUsableWindowOfAnotherApplication) {
    const QJsonArray notesBounds{100, 100, 400, 300};
    const QJsonObject notes = window(21, 502, notesBounds, axWindow("notes", notesBounds));
    const QJsonObject notesWithoutAX = window(22, 502, notesBounds);
    const QJsonArray backBounds{500, 300, 800, 500};
    const QJsonObject docs = window(40, 504, mailBounds, axWindow("docsA", mailBounds, "Docs"));
    const QJsonObject docsBack = window(41, 504, backBounds, axWindow("docsB", backBounds, "Docs"));
    const QJsonArray screen{0, 0, 1440, 900};
    const struct {
        const char* name;
        QJsonArray windows;
        QRectF area;
        QString expected;
    } cases[] = {
        {"our own overlay is never chosen",
         {window(1, 900, screen, axWindow("overlay", screen)), mailWindow},
         area(200, 200, 100, 100),
         "mail 501 Mail 10000"},
        {"a window on another layer is skipped",
         {window(2, 502, screen, axWindow("panel", screen), 3), mailWindow},
         area(200, 200, 100, 100),
         "mail 501 Mail 10000"},
        {"three points of overlap are not enough",
         {notes, mailWindow},
         area(497, 200, 100, 100),
         "mail 501 Mail 10000"},
        {"four points are", {notes, mailWindow}, area(496, 200, 100, 100), "notes 502 Notes 400"},
        {"a shared title is decided by the overlap",
         {docs, docsBack},
         area(850, 650, 100, 100),
         "docsB 504 Browser 10000"},
        {"an app without AX windows in front of one with",
         {notesWithoutAX, mailWindow},
         area(200, 200, 100, 100),
         "mail 501 Mail 10000"},
        {"an app without AX windows alone",
         {notesWithoutAX},
         area(200, 200, 100, 100),
         "unavailable 502 Notes"},
        {"the first such app is remembered",
         {window(23, 503, notesBounds), notesWithoutAX},
         area(200, 200, 100, 100),
         "unavailable 503 pid 503"},
        {"an empty title matches no AX window",
         {window(40, 504, mailBounds, axWindow("docsA", mailBounds, ""), 0, ""), docsBack},
         area(850, 650, 100, 100),
         "docsB 504 Browser 10000"},
        {"an AX window away from the area is not chosen",
         {window(21, 502, notesBounds, axWindow("notes", {100, 100, 100, 100}))},
         area(300, 300, 100, 100),
         "unavailable 502 Notes"},
        {"an empty desktop area", {mailWindow}, area(1000, 750, 100, 100), "not found"},
    };
    for (const auto& c : cases) {
        SimDesktop sim(SceneLoader::fromJson(desktop(c.windows)));
        const auto resolution =
            Resolver::resolve(sim.accessibility(), sim.windowServer(), sim.screens(), c.area);
        EXPECT_EQ(describe(sim, resolution), c.expected) << c.name;
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
    const struct {
        const char* name;
        QJsonArray windows;
        QRectF area;
        QString note;
        int nodeCount;
        QString rootRole;
    } cases[] = {
        {"pruned to the area",
         {mailWith(mail)},
         area(110, 100, 120.7, 60),
         "region root: Mail (pid 501); region: 120×60 ax, kept 2 nodes",
         2,
         "AXWindow"},
        // The area grows by 2 points: children whose corner lies on its right or bottom edge
        // stay, one a point further does not.
        {"edges of the area",
         {mailWith(edges)},
         area(200, 200, 100, 100),
         "region root: Mail (pid 501); region: 100×100 ax, kept 3 nodes",
         3,
         "AXWindow"},
        {"two levels deeper than at the cursor",
         {mailWith({deep})},
         area(200, 200, 100, 100),
         "region root: Mail (pid 501); region: 100×100 ax, kept 7 nodes",
         7,
         "AXWindow"},
        {"twice the nodes of the cursor",
         {mailWith(groups)},
         area(200, 200, 100, 100),
         "region root: Mail (pid 501); region: 100×100 ax, kept 240 nodes",
         240,
         "AXWindow"},
        {"hit-test fallback",
         {window(5, 502, {100, 100, 400, 300}, panel, 3)},
         area(200, 200, 50, 50),
         "region root: NOT RESOLVED → cursor hit-test; region: no AX frames in rect; kept 3 nodes",
         3,
         "AXGroup"},
        {"no AX windows",
         {window(22, 502, {100, 100, 400, 300})},
         area(200, 200, 100, 100),
         "region root: none — Notes (pid 502) exposes no AX windows",
         1,
         "AXApplication"},
        {"an app named like the note",
         {window(11, 503, mailBounds, axWindow("w", mailBounds))},
         area(200, 200, 100, 100),
         "region root: Tool exposes no AX windows (pid 503); region: 100×100 ax, kept 1 nodes",
         1,
         "AXWindow"},
    };
    for (const auto& c : cases) {
        QJsonObject scene = QJsonDocument::fromJson(desktop(c.windows)).object();
        QJsonArray apps = scene["apps"].toArray();
        apps[2] = QJsonObject{{"pid", 503}, {"name", "Tool exposes no AX windows"}};
        scene["apps"] = apps;
        CaptureHarness harness(QJsonDocument(scene).toJson());
        const auto record = harness.service.captureUnderMouse(c.area.center(), c.area, false);
        EXPECT_EQ(record.regionNote.value_or("").toStdString(), c.note.toStdString()) << c.name;
        EXPECT_EQ(record.nodeCount, c.nodeCount) << c.name;
        const QJsonObject file = readJson(record.fileURL.toLocalFile());
        EXPECT_EQ(file["tree"].toObject()["role"].toString(), c.rootRole) << c.name;
        EXPECT_EQ(file["regionNote"].toString(), c.note) << c.name;
    }
}
