#pragma once

#include "AXElement.h"
#include "AXValue.h"
#include "ToolkitClues.h"

#include <QString>

#include <optional>

namespace vantrel {

// The accessibility API of the desktop: trust, hit-testing, application roots and attribute reads.
// Points are in top-left global space, in points.
class AccessibilityPlatform {
  public:
    virtual ~AccessibilityPlatform() = default;

    virtual bool isProcessTrusted() const = 0;
    // Shows the system's permission prompt; the answer is not reported.
    virtual void promptForTrust() = 0;

    virtual AXElement systemWideElement() const = 0;
    // The deepest element under the point, or none when nothing is there or the call fails.
    virtual std::optional<AXElement> elementAtPosition(AXElement systemWide, float x, float y) = 0;
    virtual AXElement applicationElement(qint32 pid) = 0;
    virtual AXReadResult copyAttributeValue(AXElement element, const QString& attribute) = 0;
    // A capture is over: no element handed out so far is used again, and what the backend holds
    // for them may go. A handle used after this reads as an invalid element.
    virtual void releaseElements() {}
    // What tells the toolkit of the element's application; empty where the backend cannot say.
    virtual ToolkitClues applicationToolkit(AXElement element) {
        Q_UNUSED(element);
        return {};
    }
};

} // namespace vantrel
