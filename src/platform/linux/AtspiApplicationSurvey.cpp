#include "AtspiApplicationSurvey.h"

#include <QElapsedTimer>
#include <QList>

#include <atspi/atspi.h>

namespace vantrel {

namespace {

// The same bounds the capture backend sets: a second for a call, two for an application met
// for the first time.
constexpr int surveyCallTimeoutMs = 1000;

void initialiseAtspiForSurvey() {
    static const bool once = [] {
        atspi_init();
        atspi_set_timeout(surveyCallTimeoutMs, 2 * surveyCallTimeoutMs);
        return true;
    }();
    Q_UNUSED(once);
}

// The child count, or none when the call failed.
std::optional<int> surveyChildCount(AtspiAccessible* object) {
    GError* error = nullptr;
    const gint count = atspi_accessible_get_child_count(object, &error);
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    return count;
}

AtspiAccessible* surveyChild(AtspiAccessible* object, int index) {
    GError* error = nullptr;
    AtspiAccessible* child = atspi_accessible_get_child_at_index(object, index, &error);
    if (error) {
        g_error_free(error);
        if (child)
            g_object_unref(child);
        return nullptr;
    }
    return child;
}

} // namespace

AtspiApplicationSurvey::AtspiApplicationSurvey() {
    initialiseAtspiForSurvey();
    AtspiAccessible* desktop = atspi_get_desktop(0);
    if (!desktop)
        return;
    const int count = surveyChildCount(desktop).value_or(0);
    for (int index = 0; index < count; ++index) {
        AtspiAccessible* application = surveyChild(desktop, index);
        if (!application)
            continue;
        GError* error = nullptr;
        const guint pid = atspi_accessible_get_process_id(application, &error);
        if (error || m_applications.contains(pid)) {
            if (error)
                g_error_free(error);
            g_object_unref(application);
            continue;
        }
        m_applications.insert(pid, application);
    }
    g_object_unref(desktop);
}

AtspiApplicationSurvey::~AtspiApplicationSurvey() {
    for (void* application : std::as_const(m_applications))
        g_object_unref(static_cast<AtspiAccessible*>(application));
}

AtspiApplicationSurvey::Answer AtspiApplicationSurvey::survey(qint64 pid, int nodeBound) const {
    Answer answer;
    auto* application = static_cast<AtspiAccessible*>(m_applications.value(pid));
    if (!application)
        return answer;
    answer.onBus = true;
    QElapsedTimer clock;
    clock.start();
    GError* error = nullptr;
    gchar* name = atspi_accessible_get_toolkit_name(application, &error);
    if (name)
        answer.toolkitName = QString::fromUtf8(name);
    g_free(name);
    // The first question a live application answers from its own process; libatspi's cache
    // would answer the counts below for a stopped one, as an empty tree.
    if (error) {
        g_error_free(error);
        answer.answered = false;
        return answer;
    }

    // Breadth first, so a bound cuts deep subtrees rather than whole windows.
    QList<AtspiAccessible*> queue{static_cast<AtspiAccessible*>(g_object_ref(application))};
    qsizetype next = 0;
    qsizetype lastWindow = 0; // the application's children are queue[1..lastWindow]
    for (; next < queue.size() && answer.nodeCount < nodeBound; ++next) {
        AtspiAccessible* object = queue[next];
        const auto children = surveyChildCount(object);
        if (!children) {
            answer.answered = false;
            break;
        }
        if (next > 0 && next <= lastWindow && *children > 0)
            answer.exposesTree = true;
        for (int index = 0; index < *children && answer.nodeCount < nodeBound; ++index) {
            AtspiAccessible* child = surveyChild(object, index);
            if (!child) {
                answer.answered = false;
                break;
            }
            queue.append(child);
            ++answer.nodeCount;
        }
        if (!answer.answered)
            break;
        if (next == 0)
            lastWindow = queue.size() - 1;
    }
    // A bound reached before the windows were looked at still means a tree.
    if (answer.nodeCount >= nodeBound)
        answer.exposesTree = true;
    // A stopped application can look empty: libatspi answers some questions from what it was
    // told at registration and lets others run into the timeout without an error.
    if (!answer.exposesTree && clock.elapsed() >= surveyCallTimeoutMs)
        answer.answered = false;
    for (AtspiAccessible* object : std::as_const(queue))
        g_object_unref(object);
    return answer;
}

} // namespace vantrel
