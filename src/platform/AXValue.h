#pragma once

#include "AXElement.h"

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <variant>

namespace vantrel {

// The kinds of value an accessibility attribute read can deliver.
struct AXAttributedString {
    QString text;
    friend bool operator==(const AXAttributedString&, const AXAttributedString&) = default;
};

// A successful read that carries no value.
struct AXNoValue {
    friend bool operator==(AXNoValue, AXNoValue) = default;
};

// Any other kind of value; only its debug text is known.
struct AXOtherValue {
    QString debugDescription;
    friend bool operator==(const AXOtherValue&, const AXOtherValue&) = default;
};

// Boxed geometry, unpacked with unpackPoint / unpackSize as the platform's AXValueGetValue does.
struct AXPointValue {
    QPointF point;
    friend bool operator==(const AXPointValue&, const AXPointValue&) = default;
};
struct AXSizeValue {
    QSizeF size;
    friend bool operator==(const AXSizeValue&, const AXSizeValue&) = default;
};

using AXValue = std::variant<AXNoValue, QString, AXAttributedString, double, AXPointValue,
                             AXSizeValue, AXElement, QList<AXElement>, AXOtherValue>;

// An attribute read: code 0 and a value, or a non-zero code (the attribute counts as absent).
struct AXReadResult {
    // The element is gone: its application quit or it was destroyed (kAXErrorInvalidUIElement).
    static constexpr int invalidElementError = -25202;

    int error = 0;
    AXValue value;

    bool succeeded() const { return error == 0; }
};

inline std::optional<QPointF> unpackPoint(const AXValue& value) {
    if (const auto* boxed = std::get_if<AXPointValue>(&value))
        return boxed->point;
    return std::nullopt;
}

inline std::optional<QSizeF> unpackSize(const AXValue& value) {
    if (const auto* boxed = std::get_if<AXSizeValue>(&value))
        return boxed->size;
    return std::nullopt;
}

} // namespace vantrel
