#pragma once
// What the desktop tests read of an element, through the backend under test.
#include "platform/AccessibilityPlatform.h"
#include "platform/SimTestSupport.h"

#include <QRectF>
#include <QString>

namespace vantrel::testing {

// An element's text attribute, empty when it has none.
inline QString elementText(AccessibilityPlatform& accessibility, AXElement element,
                           const char* attribute) {
    const AXReadResult result = accessibility.copyAttributeValue(element, attribute);
    const auto* value = std::get_if<QString>(&result.value);
    return result.succeeded() && value ? *value : QString();
}

// An element's frame, empty when it has none.
inline QRectF elementFrame(AccessibilityPlatform& accessibility, AXElement element) {
    const auto position =
        unpackPoint(accessibility.copyAttributeValue(element, "AXPosition").value);
    const auto size = unpackSize(accessibility.copyAttributeValue(element, "AXSize").value);
    return position && size ? QRectF(*position, *size) : QRectF();
}

} // namespace vantrel::testing
