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

struct ResolveCase {
    const char* name;
    QJsonArray windows;
    QRectF area;
    Resolver::Resolution expected;
};

bool sameResolution(SimDesktop& desktop, const Resolver::Resolution& actual,
                    const Resolver::Resolution& expected, const QString& expectedWindowId) {
    if (actual.index() != expected.index())
        return false;
    if (const auto* match = std::get_if<Resolver::Match>(&actual)) {
        const auto& wanted = std::get<Resolver::Match>(expected);
        return match->window == desktop.accessibility().element(expectedWindowId) &&
               match->pid == wanted.pid && match->appName == wanted.appName &&
               match->intersectionArea == wanted.intersectionArea;
    }
    if (const auto* unavailable = std::get_if<Resolver::AXUnavailable>(&actual)) {
        const auto& wanted = std::get<Resolver::AXUnavailable>(expected);
        return unavailable->pid == wanted.pid && unavailable->appName == wanted.appName;
    }
    return true;
}

} // namespace

TEST(AccessibilityRegionRootResolver, PicksTheFrontmostUsableWindowOfAnotherApplication) {
    const QJsonArray notesBounds{100, 100, 400, 300};
    const QJsonObject notes = window(21, 502, notesBounds, axWindow("notes", notesBounds));
    const QJsonObject notesWithoutAX = window(22, 502, notesBounds);
    const QJsonObject namelessWithoutAX = window(23, 503, notesBounds);
    const QJsonArray browserA{100, 100, 800, 600};
    const QJsonArray browserB{500, 300, 800, 500};
    const QJsonObject browser =
        window(40, 504, browserA, axWindow("docsA", browserA, "Docs"), 0, "Docs");
    const QJsonObject browserBack =
        window(41, 504, browserB, axWindow("docsB", browserB, "Docs"), 0, "Docs");
    const Resolver::Match mail{{}, 501, "Mail", 100 * 100};

    const QList<std::pair<ResolveCase, QString>> cases{
        {{"our own overlay is never chosen",
          {window(1, 900, {0, 0, 1440, 900}, axWindow("overlay", {0, 0, 1440, 900})), mailWindow},
          area(200, 200, 100, 100),
          mail},
         "mail"},
        {{"a window on another layer is skipped",
          {window(2, 502, {0, 0, 1440, 900}, axWindow("panel", {0, 0, 1440, 900}), 3), mailWindow},
          area(200, 200, 100, 100),
          mail},
         "mail"},
        {{"three points of overlap are not enough",
          {notes, mailWindow},
          area(497, 200, 100, 100),
          Resolver::Match{{}, 501, "Mail", 100 * 100}},
         "mail"},
        {{"four points are",
          {notes, mailWindow},
          area(496, 200, 100, 100),
          Resolver::Match{{}, 502, "Notes", 4 * 100}},
         "notes"},
        {{"a shared title is decided by the overlap",
          {browser, browserBack},
          area(850, 650, 100, 100),
          Resolver::Match{{}, 504, "Browser", 100 * 100}},
         "docsB"},
        {{"an application without AX windows in front of one with",
          {notesWithoutAX, mailWindow},
          area(200, 200, 100, 100),
          mail},
         "mail"},
        {{"an application without AX windows alone",
          {notesWithoutAX},
          area(200, 200, 100, 100),
          Resolver::AXUnavailable{"Notes", 502}},
         {}},
        {{"the first such application is remembered",
          {namelessWithoutAX, notesWithoutAX},
          area(200, 200, 100, 100),
          Resolver::AXUnavailable{"pid 503", 503}},
         {}},
        {{"an empty desktop area", {mailWindow}, area(1000, 750, 100, 100), Resolver::NotFound{}},
         {}},
    };
    for (const auto& [c, windowId] : cases) {
        SimDesktop sim(SceneLoader::fromJson(desktop(c.windows)));
        const auto resolution =
            Resolver::resolve(sim.accessibility(), sim.windowServer(), sim.screens(), c.area);
        EXPECT_TRUE(sameResolution(sim, resolution, c.expected, windowId)) << c.name;
    }
}

TEST(AccessibilityRegionCapture, AnApplicationWithoutAXWindowsGivesThePlaceholderTree) {
    CaptureHarness harness(desktop({window(22, 502, {100, 100, 400, 300})}));
    const auto record = harness.service.captureUnderMouse({}, area(200, 200, 100, 100), false);
    EXPECT_EQ(record.nodeCount, 1);
    EXPECT_EQ(record.regionNote, "region root: none — Notes (pid 502) exposes no AX windows");
    const QJsonObject file = readJson(record.fileURL.toLocalFile());
    EXPECT_EQ(
        file["tree"].toObject(),
        (QJsonObject{
            {"role", "AXApplication"},
            {"title", "Application \"Notes\""},
            {"note", "Accessibility tree unavailable for this application in region mode."}}));
    EXPECT_EQ(file["regionNote"].toString(), *record.regionNote);
}

TEST(AccessibilityRegionCapture, PrunesToTheAreaAndReportsWhatItKept) {
    QJsonObject mail = axWindow("mail", mailBounds);
    mail.insert(
        "children",
        QJsonArray{
            QJsonObject{{"role", "AXButton"}, {"id", "a"}, {"frame", QJsonArray{120, 110, 80, 30}}},
            QJsonObject{
                {"role", "AXButton"}, {"id", "far"}, {"frame", QJsonArray{600, 400, 80, 30}}},
            QJsonObject{
                {"role", "AXGroup"},
                {"id", "group"},
                {"children", QJsonArray{QJsonObject{{"role", "AXCheckBox"},
                                                    {"frame", QJsonArray{130, 120, 10, 10}}}}}},
            QJsonObject{{"role", "AXStaticText"}, {"id", "unframed"}}});
    CaptureHarness harness(desktop({window(11, 501, mailBounds, mail)}));
    const QRectF dragged = area(110, 100, 120.7, 60);
    const auto record = harness.service.captureUnderMouse(dragged.center(), dragged, false);
    EXPECT_EQ(record.regionNote, "region root: Mail (pid 501); region: 120×60 ax, kept 4 nodes");
    EXPECT_EQ(record.nodeCount, 4);
    const QJsonObject file = readJson(record.fileURL.toLocalFile());
    EXPECT_EQ(file["region"].toObject(),
              (QJsonObject{{"x", 110}, {"y", 100}, {"width", 120.7}, {"height", 60}}));
    EXPECT_EQ(file["targetSummary"].toString(), "Window \"Window\" · Window");
}

TEST(AccessibilityRegionCapture, WithoutAnyFrameInTheAreaTheWholeTreeIsKept) {
    // A floating panel is skipped by the resolver but found by the hit-test.
    const QJsonObject panel{{"role", "AXGroup"},
                            {"id", "panel"},
                            {"children", QJsonArray{QJsonObject{{"role", "AXStaticText"}},
                                                    QJsonObject{{"role", "AXStaticText"}}}}};
    CaptureHarness harness(desktop({window(5, 502, {100, 100, 400, 300}, panel, 3)}));
    const QRectF dragged = area(200, 200, 50, 50);
    const auto record = harness.service.captureUnderMouse(dragged.center(), dragged, false);
    EXPECT_EQ(
        record.regionNote,
        "region root: NOT RESOLVED → cursor hit-test; region: no AX frames in rect; kept 3 nodes");
    EXPECT_EQ(record.nodeCount, 3);
}

TEST(AccessibilityRegionCapture, AreasGetDoubledLimits) {
    QJsonArray groups;
    for (int g = 0; g < 11; ++g) {
        QJsonArray leaves;
        for (int l = 0; l < 30; ++l)
            leaves.append(
                QJsonObject{{"role", "AXButton"}, {"frame", QJsonArray{110 + l, 110, 5, 5}}});
        groups.append(QJsonObject{
            {"role", "AXGroup"}, {"frame", QJsonArray{110, 110, 200, 200}}, {"children", leaves}});
    }
    QJsonObject wide = axWindow("mail", mailBounds);
    wide.insert("children", groups);
    QJsonObject chain{{"role", "AXGroup"}, {"frame", QJsonArray{110, 110, 5, 5}}};
    for (int level = 0; level < 9; ++level)
        chain = QJsonObject{{"role", "AXGroup"},
                            {"frame", QJsonArray{110, 110, 5, 5}},
                            {"children", QJsonArray{chain}}};
    QJsonObject deep = axWindow("mail", mailBounds);
    deep.insert("children", QJsonArray{chain});

    const QRectF dragged = area(100, 100, 300, 300);
    CaptureHarness wideHarness(desktop({window(11, 501, mailBounds, wide)}));
    EXPECT_EQ(wideHarness.service.captureUnderMouse({}, dragged, false).nodeCount, 240);
    CaptureHarness deepHarness(desktop({window(11, 501, mailBounds, deep)}));
    const auto record = deepHarness.service.captureUnderMouse({}, dragged, false);
    EXPECT_EQ(
        deepestLevel(readJson(record.fileURL.toLocalFile())["tree"].toObject().toVariantMap()), 6);
}

TEST(AccessibilityRegionCapture, AnApplicationNamedLikeTheNoteStillGetsItsTree) {
    const QJsonObject scene{
        {"screens", QJsonArray{QJsonObject{{"frame", QJsonArray{0, 0, 1440, 900}}}}},
        {"apps", QJsonArray{QJsonObject{{"pid", 501}, {"name", "Tool exposes no AX windows"}}}},
        {"windows", QJsonArray{window(11, 501, mailBounds, axWindow("mail", mailBounds))}},
    };
    CaptureHarness harness(QJsonDocument(scene).toJson());
    const auto record = harness.service.captureUnderMouse({}, area(200, 200, 100, 100), false);
    EXPECT_EQ(
        record.regionNote.value_or("").toStdString(),
        "region root: Tool exposes no AX windows (pid 501); region: 100×100 ax, kept 1 nodes");
    EXPECT_EQ(readJson(record.fileURL.toLocalFile())["tree"].toObject()["role"].toString(),
              "AXWindow");
}
