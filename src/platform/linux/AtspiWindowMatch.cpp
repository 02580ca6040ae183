#include "AtspiWindowMatch.h"

#include <array>
#include <cmath>
#include <functional>

namespace vantrel {

namespace {

// Wide enough for a title bar and borders, narrow enough to tell stacked windows apart.
constexpr double frameTolerance = 48.0;

// Half-open, so that a point on the shared edge of two neighbours belongs to one of them only.
bool covers(const QRectF& rect, QPointF point) {
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() &&
           point.y() < rect.bottom();
}

bool near(double a, double b) {
    return std::abs(a - b) <= frameTolerance;
}

} // namespace

std::optional<WindowListEntry>
AtspiWindowMatch::topWindowAt(const QList<WindowListEntry>& frontToBack, QPointF point,
                              qint64 ownPid) {
    for (const WindowListEntry& entry : frontToBack) {
        if (!entry.bounds || !entry.ownerPid || *entry.ownerPid == ownPid)
            continue;
        if (covers(*entry.bounds, point))
            return entry;
    }
    return std::nullopt;
}

std::optional<qsizetype> AtspiWindowMatch::bestCandidate(const QList<Candidate>& candidates,
                                                         const WindowListEntry& entry,
                                                         QPointF point) {
    const auto named = [&](const Candidate& c) { return entry.name && c.name == *entry.name; };
    const auto matching = [&](const Candidate& c) {
        return c.frame && entry.bounds && sameWindowBounds(*c.frame, *entry.bounds);
    };
    const auto underPoint = [&](const Candidate& c) { return c.frame && covers(*c.frame, point); };
    const std::array<std::function<bool(const Candidate&)>, 4> tiers{
        [&](const Candidate& c) { return named(c) && matching(c); },
        [&](const Candidate& c) { return named(c) && underPoint(c); },
        matching,
        underPoint,
    };
    for (const auto& tier : tiers) {
        for (qsizetype i = 0; i < candidates.size(); ++i) {
            if (tier(candidates[i]))
                return i;
        }
    }
    return std::nullopt;
}

bool AtspiWindowMatch::sameWindowBounds(const QRectF& a, const QRectF& b) {
    return near(a.left(), b.left()) && near(a.top(), b.top()) && near(a.right(), b.right()) &&
           near(a.bottom(), b.bottom());
}

} // namespace vantrel
