// `vantrel doctor` on the private desktop: all good with a tray host and a GTK application, then
// one thing wrong at a time (accessibility off, no tray host, a key held by another client, a Qt
// application started without accessibility), each a problem with its fix and nothing else.
#include "app/Doctor.h"
#include "support/DesktopTools.h"
#include "support/TestApplication.h"
#include "support/TrayHosts.h"
#include "support/VantrelProcess.h"

#include <QJsonArray>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>

namespace vantrel::testing {
namespace {

struct Diagnosis {
    int exitCode = -1;
    QList<QJsonObject> findings;
    QString text;

    QList<QJsonObject> problems() const {
        QList<QJsonObject> found;
        for (const QJsonObject& finding : findings) {
            if (finding["verdict"].toString() != "ok")
                found << finding;
        }
        return found;
    }
    QJsonObject application(qint64 pid) const {
        for (const QJsonObject& finding : findings) {
            if (finding["application"].toObject()["pid"].toInteger() == pid)
                return finding;
        }
        return {};
    }
};

Diagnosis diagnose() {
    const VantrelProcess vantrel;
    const auto json = vantrel.run({"doctor", "--json"});
    Diagnosis diagnosis;
    diagnosis.exitCode = json.exitCode;
    for (const QJsonValue& finding : json.json()["findings"].toArray())
        diagnosis.findings << finding.toObject();
    const auto text = vantrel.run({"doctor"});
    diagnosis.text = text.out;
    EXPECT_EQ(text.exitCode, json.exitCode) << text.err.toStdString();
    return diagnosis;
}

// Switches assistive technologies off until it goes.
struct AccessibilityOff {
    AccessibilityOff() { setAccessibilityEnabled(false); }
    ~AccessibilityOff() { setAccessibilityEnabled(true); }
};

// A GTK probe stopped (SIGSTOP) after its tree was up, as a hung application; let go at the end.
struct StoppedApplication {
    StoppedApplication() : app(TestApplication::gtk()) {
        if (app.waitForAccessible("Paint", "push button"))
            ::kill(static_cast<pid_t>(app.pid()), SIGSTOP);
    }
    ~StoppedApplication() { ::kill(static_cast<pid_t>(app.pid()), SIGCONT); }
    TestApplication app;
};

// A GTK window with nothing in it, on the bus: it answers at once, with no tree.
struct EmptyWindow {
    EmptyWindow() : app(TestApplication::gtk({"--empty"})) { app.waitForAccessible("", "frame"); }
    TestApplication app;
};

TEST(Doctor, AllGoodWithATrayHostAndAnAccessibleApplication) {
    const FakeStatusNotifierWatcher watcher;
    ASSERT_TRUE(watcher.isRegistered());
    const TestApplication app = TestApplication::gtk({"--nodes", "600"});
    ASSERT_TRUE(app.waitForAccessible("Paint", "push button"));
    const TestApplication qtApp = TestApplication::qt();
    ASSERT_TRUE(qtApp.waitForAccessible("Press", "push button"));

    const Diagnosis diagnosis = diagnose();
    EXPECT_EQ(diagnosis.exitCode, 0) << diagnosis.text.toStdString();
    EXPECT_TRUE(diagnosis.problems().isEmpty()) << diagnosis.text.toStdString();
    const QJsonObject application = diagnosis.application(app.pid())["application"].toObject();
    EXPECT_EQ(application["toolkit"].toString(), "GTK");
    // A tree past the bound is counted up to it; one below it node for node, the application
    // itself left out.
    EXPECT_EQ(application["nodes"].toInt(), Doctor::nodeBound);
    const QJsonObject small = diagnosis.application(qtApp.pid())["application"].toObject();
    EXPECT_EQ(small["nodes"].toInt(), AccessibleLookup::nodes(qtApp.pid()).size() - 1);
    EXPECT_TRUE(diagnosis.text.endsWith("Nothing to fix: captures should work.\n"))
        << diagnosis.text.toStdString();
}

// Each fault alone: exactly its finding is a problem, with its fix.
TEST(Doctor, EachProblemIsFoundAloneWithItsFix) {
    const struct {
        const char* name;
        std::function<std::shared_ptr<void>()> arrange;
        QString check;
        QString summaryPart;
        QString fixPart;
    } cases[] = {
        {"accessibility off", [] { return std::make_shared<AccessibilityOff>(); },
         "accessibilityBus", "switched off", "assistive technologies"},
        {"no tray host", [] { return std::shared_ptr<void>(); }, "trayHost", "none", "system tray"},
        {"Ctrl+Alt+C held", [] { return std::shared_ptr<void>(grabKey('c')); }, "hotKey",
         "Ctrl+Alt+C: held by another program", "free it"},
        {"a hung application", [] { return std::make_shared<StoppedApplication>(); }, "application",
         "did not answer", "restart it"},
        {"an empty window", [] { return std::make_shared<EmptyWindow>(); }, "application",
         "its windows expose no accessibility tree", "without NO_AT_BRIDGE=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<FakeStatusNotifierWatcher> watcher;
        if (c.check != "trayHost")
            watcher.emplace();
        const std::shared_ptr<void> fault = c.arrange();
        const Diagnosis diagnosis = diagnose();
        EXPECT_EQ(diagnosis.exitCode, 1);
        const QList<QJsonObject> problems = diagnosis.problems();
        ASSERT_EQ(problems.size(), 1) << diagnosis.text.toStdString();
        EXPECT_EQ(problems[0]["check"].toString(), c.check);
        EXPECT_TRUE(problems[0]["summary"].toString().contains(c.summaryPart))
            << diagnosis.text.toStdString();
        EXPECT_TRUE(problems[0]["fix"].toString().contains(c.fixPart))
            << diagnosis.text.toStdString();
    }
}

TEST(Doctor, EitherKindOfTrayHostCounts) {
    const struct {
        const char* name;
        std::function<std::shared_ptr<void>()> host;
        QString summary;
    } cases[] = {
        {"StatusNotifierWatcher", [] { return std::make_shared<FakeStatusNotifierWatcher>(); },
         "a StatusNotifierWatcher"},
        {"XEmbed", [] { return std::make_shared<FakeXEmbedTray>(); }, "an XEmbed tray"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::shared_ptr<void> host = c.host();
        const Diagnosis diagnosis = diagnose();
        EXPECT_EQ(diagnosis.exitCode, 0) << diagnosis.text.toStdString();
        for (const QJsonObject& finding : diagnosis.findings) {
            if (finding["check"].toString() == "trayHost") {
                EXPECT_EQ(finding["summary"].toString(), c.summary);
            }
        }
    }
}

// The same Qt application exposes its tree when accessibility is on at its start, and gets the
// Qt fix when it was off then, even once it is switched on again.
TEST(Doctor, AQtApplicationStartedWithoutAccessibilityGetsTheQtFix) {
    const FakeStatusNotifierWatcher watcher;
    const struct {
        const char* name;
        bool accessibleAtStart;
    } cases[] = {{"accessible", true}, {"started without accessibility", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<AccessibilityOff> off;
        if (!c.accessibleAtStart)
            off.emplace();
        const TestApplication app = TestApplication::qt(
            c.accessibleAtStart ? QStringList() : QStringList{"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"});
        off.reset();
        if (c.accessibleAtStart) {
            ASSERT_TRUE(app.waitForAccessible("Press", "push button"));
        }

        const Diagnosis diagnosis = diagnose();
        const QJsonObject finding = diagnosis.application(app.pid());
        EXPECT_EQ(finding["application"].toObject()["toolkit"].toString(), "Qt")
            << diagnosis.text.toStdString();
        EXPECT_EQ(finding["verdict"].toString(), c.accessibleAtStart ? "ok" : "problem");
        EXPECT_EQ(finding["fix"].toString().contains("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"),
                  !c.accessibleAtStart)
            << diagnosis.text.toStdString();
        EXPECT_EQ(diagnosis.exitCode, c.accessibleAtStart ? 0 : 1);
    }
}

} // namespace
} // namespace vantrel::testing
