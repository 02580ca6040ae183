#pragma once

#include "../AccessibilityPlatform.h"
#include "Scene.h"

#include <QList>

namespace vantrel {

// The accessibility API over a scene's element trees; reads and hit-tests can be made to fail on
// purpose.
class SimAccessibility final : public AccessibilityPlatform {
  public:
    // The codes the macOS API uses for the same situations.
    static constexpr int invalidElement = -25202;
    static constexpr int cannotComplete = -25204;
    static constexpr int attributeUnsupported = -25205;
    static constexpr int apiDisabled = -25211;
    static constexpr int noValue = -25212;

    explicit SimAccessibility(const Scene& scene);

    bool isProcessTrusted() const override;
    void promptForTrust() override;
    AXElement systemWideElement() const override;
    std::optional<AXElement> elementAtPosition(AXElement systemWide, float x, float y) override;
    AXElement applicationElement(qint32 pid) override;
    AXReadResult copyAttributeValue(AXElement element, const QString& attribute) override;
    // The scene app's "toolkit"; the process clues stay empty.
    ToolkitClues applicationToolkit(AXElement element) override;

    // The element a scene names with "id"; null when there is none.
    AXElement element(const QString& sceneId) const;
    // The accessibility root of a window; null when it has none.
    AXElement windowElement(quint32 windowId) const;
    // The scene element behind a handle, if it is one.
    const SceneElement* sceneElement(AXElement element) const;

    int trustPromptCount() const { return m_trustPrompts; }

    // Reads matching element and attribute fail with code; a null element or an empty attribute
    // matches any.
    void failReads(AXElement element, const QString& attribute, int code);
    void clearReadFaults() { m_faults.clear(); }
    void setHitTestFails(bool fails) { m_hitTestFails = fails; }

  private:
    struct Fault {
        AXElement element;
        QString attribute;
        int code;
    };

    static AXElement handle(quint64 kind, quint32 index);
    AXElement elementHandle(int index) const;
    std::optional<int> elementIndex(AXElement element) const;
    std::optional<int> fault(AXElement element, const QString& attribute) const;
    std::optional<AXElement> hitTest(QPointF point) const;
    int deepestAt(int root, QPointF point) const;
    QList<AXElement> windowsOf(qint32 pid) const;
    AXReadResult readApplication(qint32 pid, const QString& attribute) const;
    AXReadResult readElement(int index, const QString& attribute) const;

    const Scene& m_scene;
    int m_trustPrompts = 0;
    QList<Fault> m_faults;
    bool m_hitTestFails = false;
};

} // namespace vantrel
