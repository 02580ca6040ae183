#include "WaylandPlacement.h"

#include "ToolkitOffsets.h"

namespace vantrel {

std::optional<AtspiPlacement::Origin> WaylandPlacement::windowOrigin(const Window& window) {
    const auto windows = m_helper.windows();
    if (!windows)
        return std::nullopt;
    const auto match = ToolkitOffsets::match(*windows, window);
    if (!match)
        return std::nullopt;
    return ToolkitOffsets::origin(*match, window);
}

} // namespace vantrel
