// Walks one application's AT-SPI tree twice, reading what a capture reads: once through the
// backend (cached application root, one extents call per frame) and once naively (one AT-SPI
// call per attribute, no cache). Needs a running desktop: pass the pid of an application with a
// large window, e.g. a GTK window of about 1000 nodes.
#include "platform/linux/AtspiAccessibility.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atspi/atspi.h>

#include <cstdio>
#include <unistd.h>

using namespace vantrel;

namespace {

class NoWindows final : public WindowServer {
  public:
    std::optional<QList<WindowListEntry>> onScreenWindows() const override { return {}; }
    std::optional<QString> applicationName(qint32) const override { return std::nullopt; }
    qint32 ownPid() const override { return getpid(); }
    std::optional<RunningApplication> frontmostApplication() const override { return std::nullopt; }
};

const QStringList attributes{
    QStringLiteral("AXRole"),  QStringLiteral("AXTitle"),      QStringLiteral("AXDescription"),
    QStringLiteral("AXValue"), QStringLiteral("AXIdentifier"), QStringLiteral("AXPosition"),
    QStringLiteral("AXSize"),  QStringLiteral("AXFocused"),    QStringLiteral("AXEnabled")};

int walkBackend(AtspiAccessibility& accessibility, AXElement element) {
    for (const QString& attribute : attributes)
        accessibility.copyAttributeValue(element, attribute);
    const auto children = accessibility.copyAttributeValue(element, QStringLiteral("AXChildren"));
    int nodes = 1;
    if (const auto* list = std::get_if<QList<AXElement>>(&children.value))
        for (const AXElement child : *list)
            nodes += walkBackend(accessibility, child);
    return nodes;
}

template <typename T> void drop(T* object) {
    if (object)
        g_object_unref(object);
}

void readNaively(AtspiAccessible* object) {
    g_free(atspi_accessible_get_name(object, nullptr));
    g_free(atspi_accessible_get_description(object, nullptr));
    g_free(atspi_accessible_get_accessible_id(object, nullptr));
    const AtspiRole role = atspi_accessible_get_role(object, nullptr);
    drop(atspi_accessible_get_state_set(object));
    if (AtspiText* text = atspi_accessible_get_text_iface(object)) {
        if (role != ATSPI_ROLE_PASSWORD_TEXT)
            g_free(atspi_text_get_text(text, 0, -1, nullptr));
        drop(text);
    }
    if (AtspiComponent* component = atspi_accessible_get_component_iface(object)) {
        g_free(atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr));
        g_free(atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr));
        drop(component);
    }
}

int walkNaively(AtspiAccessible* object) {
    readNaively(object);
    int nodes = 1;
    const int count = atspi_accessible_get_child_count(object, nullptr);
    for (int index = 0; index < count; ++index) {
        AtspiAccessible* child = atspi_accessible_get_child_at_index(object, index, nullptr);
        if (!child)
            continue;
        nodes += walkNaively(child);
        g_object_unref(child);
    }
    return nodes;
}

AtspiAccessible* applicationByPid(qint64 pid) {
    AtspiAccessible* desktop = atspi_get_desktop(0);
    AtspiAccessible* found = nullptr;
    for (int i = 0; !found && i < atspi_accessible_get_child_count(desktop, nullptr); ++i) {
        AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
        if (app && qint64(atspi_accessible_get_process_id(app, nullptr)) == pid)
            found = app;
        else
            drop(app);
    }
    g_object_unref(desktop);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: atspi_walk_bench <pid of an application with a window>\n");
        return 2;
    }
    const qint64 pid = QString::fromLocal8Bit(argv[1]).toLongLong();
    // Built first so the naive walk runs on an initialised library as well.
    NoWindows windows;
    AtspiAccessibility accessibility(windows, [] { return DesktopSpace{}; });
    AtspiAccessible* application = applicationByPid(pid);
    if (!application) {
        std::fprintf(stderr, "no AT-SPI application with pid %lld: is a desktop running?\n",
                     static_cast<long long>(pid));
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    const int naiveNodes = walkNaively(application);
    const qint64 naiveMs = timer.restart();
    const int backendNodes = walkBackend(accessibility, accessibility.applicationElement(pid));
    const qint64 backendMs = timer.elapsed();
    g_object_unref(application);

    std::printf("naive:   %d nodes in %lld ms\n", naiveNodes, static_cast<long long>(naiveMs));
    std::printf("backend: %d nodes in %lld ms\n", backendNodes, static_cast<long long>(backendMs));
    if (backendMs > 0)
        std::printf("ratio:   %.1f× faster\n", double(naiveMs) / double(backendMs));
    return 0;
}
