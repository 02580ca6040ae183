#pragma once

#include "../AccessibilityPlatform.h"
#include "../WindowServer.h"
#include "AtspiPlacement.h"
#include "AtspiStallGuard.h"
#include "DesktopSpace.h"

#include <QHash>
#include <QRect>
#include <QSet>

#include <functional>

// libatspi's object type, so this header does not pull GLib into its includers.
typedef struct _AtspiAccessible AtspiAccessible;

namespace vantrel {

// The accessibility tree of a Linux desktop through AT-SPI. Attribute names, roles and codes
// are those the core knows; how each is read is the table in AtspiAccessibility.cpp and
// docs/linux-accessibility.md. Without a placement, extents are screen coordinates (X11); with
// one, they are relative to each window and placed by it (Wayland).
class AtspiAccessibility final : public AccessibilityPlatform {
  public:
    // The codes every backend reports for the same situations.
    static constexpr int invalidElement = -25202;
    static constexpr int cannotComplete = -25204;
    static constexpr int attributeUnsupported = -25205;
    static constexpr int noValue = -25212;

    AtspiAccessibility(const WindowServer& windows, std::function<DesktopSpace()> space,
                       AtspiPlacement* placement = nullptr);
    ~AtspiAccessibility() override;
    AtspiAccessibility(const AtspiAccessibility&) = delete;
    AtspiAccessibility& operator=(const AtspiAccessibility&) = delete;

    bool isProcessTrusted() const override;
    void promptForTrust() override;
    AXElement systemWideElement() const override;
    std::optional<AXElement> elementAtPosition(AXElement systemWide, float x, float y) override;
    AXElement applicationElement(qint32 pid) override;
    AXReadResult copyAttributeValue(AXElement element, const QString& attribute) override;
    // The toolkit name the application gives on the bus, with its process's clues from /proc.
    ToolkitClues applicationToolkit(AXElement element) override;

    void releaseElements() override;

    // How many AT-SPI objects the handle table keeps alive.
    qsizetype heldObjectCount() const { return m_objects.size(); }

  private:
    using Reader = AXReadResult (AtspiAccessibility::*)(AtspiAccessible*);
    static const QHash<QString, Reader>& readers();

    // Every AT-SPI call goes through here: a GError or an application that stalled earlier
    // gives none, and a call that ran into its timeout marks its application as stalled.
    template <typename Call> auto ask(AtspiAccessible* object, Call&& call);

    // Every object the backend holds sits in the handle table, which owns one reference to it;
    // adopt() moves a reference AT-SPI handed over into the table and lends the object back.
    AXElement handleFor(AtspiAccessible* object);
    AtspiAccessible* objectFor(AXElement element) const;
    AtspiAccessible* adopt(AtspiAccessible* owned);
    void beginWalk(AtspiAccessible* application);
    AtspiAccessible* applicationByPid(qint64 pid);
    AtspiAccessible* windowFor(AtspiAccessible* application, const WindowListEntry& entry,
                               QPointF point);
    AtspiAccessible* deepestAt(AtspiAccessible* window, QPointF rootPixel);
    std::optional<QList<AtspiAccessible*>> childObjects(AtspiAccessible* object);
    QList<AtspiAccessible*> windowObjects(AtspiAccessible* application);
    std::optional<QString> roleName(AtspiAccessible* object);
    std::optional<bool> hasState(AtspiAccessible* object, int state);
    std::optional<QRectF> frameOf(AtspiAccessible* object);
    std::optional<QRectF> rereadFrame(AtspiAccessible* object);
    // Screen coordinates without a placement; otherwise the origin of the object's window.
    std::optional<AtspiPlacement::Origin> placementOf(AtspiAccessible* object);
    AtspiAccessible* topLevelOf(AtspiAccessible* object);
    std::optional<AtspiPlacement::Origin> lookUpOrigin(AtspiAccessible* window);

    AXReadResult readRole(AtspiAccessible* object);
    AXReadResult readRoleDescription(AtspiAccessible* object);
    AXReadResult readTitle(AtspiAccessible* object);
    AXReadResult readDescription(AtspiAccessible* object);
    AXReadResult readValue(AtspiAccessible* object);
    AXReadResult readIdentifier(AtspiAccessible* object);
    AXReadResult readPosition(AtspiAccessible* object);
    AXReadResult readSize(AtspiAccessible* object);
    AXReadResult readEnabled(AtspiAccessible* object);
    AXReadResult readFocused(AtspiAccessible* object);
    AXReadResult readChildren(AtspiAccessible* object);
    AXReadResult readParent(AtspiAccessible* object);
    bool isTopLevel(AtspiAccessible* object);
    AXReadResult readWindows(AtspiAccessible* object);
    AXReadResult readFocusedWindow(AtspiAccessible* object);

    const WindowServer& m_windows;
    std::function<DesktopSpace()> m_spaceSource;
    AtspiPlacement* m_placement;
    // Every object's top-level window, as far as known, and each window's origin in this walk.
    QHash<AtspiAccessible*, AtspiAccessible*> m_windowOf;
    QHash<AtspiAccessible*, std::optional<AtspiPlacement::Origin>> m_origins;
    DesktopSpace m_space;
    AtspiStallGuard m_stalls;
    // Bus names of applications seen leaving the bus during this capture.
    QSet<QString> m_leftBus;
    QHash<quint64, AtspiAccessible*> m_objects;
    QHash<AtspiAccessible*, quint64> m_ids;
    quint64 m_nextId;
    // Position and size are read one after the other; one extents call answers both.
    AtspiAccessible* m_lastExtentsOf = nullptr;
    std::optional<QRectF> m_lastExtents;
};

} // namespace vantrel
