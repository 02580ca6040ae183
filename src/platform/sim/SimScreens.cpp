#include "SimScreens.h"

namespace vantrel {

namespace {

ScreenInfo info(const SceneScreen& screen) {
    return {screen.frame, screen.visibleFrame, screen.scale, screen.safeAreaTop, screen.number};
}

} // namespace

SimScreens::SimScreens(const Scene& scene) : m_scene(scene) {}

QList<ScreenInfo> SimScreens::screens() const {
    QList<ScreenInfo> screens;
    for (const SceneScreen& screen : m_scene.screens)
        screens.append(info(screen));
    return screens;
}

std::optional<ScreenInfo> SimScreens::mainScreen() const {
    if (m_scene.screens.isEmpty())
        return std::nullopt;
    return info(m_scene.screens.first());
}

QPointF SimScreens::mouseLocation() const {
    return m_scene.mouse;
}

} // namespace vantrel
