#pragma once

#include "CaptureError.h"
#include "accessibility/CapturedAccessibility.h"

#include <QString>

#include <optional>
#include <variant>

namespace vantrel {

// A capture's result: on success the status line and, for a bundle, the snapshot it holds;
// the stopping error otherwise. Whoever reacts to a capture decides from the snapshot's data,
// never from the wording of the status line.
class CaptureOutcome {
  public:
    struct Success {
        QString statusLine;
        std::optional<CapturedAccessibility> bundleSnapshot;
    };

    static CaptureOutcome success(QString statusLine,
                                  std::optional<CapturedAccessibility> bundleSnapshot = {}) {
        return CaptureOutcome(Success{std::move(statusLine), std::move(bundleSnapshot)});
    }
    static CaptureOutcome failure(CaptureError error) { return CaptureOutcome(std::move(error)); }

    bool isSuccess() const { return std::holds_alternative<Success>(m_value); }
    const QString& statusLine() const { return std::get<Success>(m_value).statusLine; }
    const std::optional<CapturedAccessibility>& bundleSnapshot() const {
        return std::get<Success>(m_value).bundleSnapshot;
    }
    const CaptureError& error() const { return std::get<CaptureError>(m_value); }

  private:
    explicit CaptureOutcome(std::variant<Success, CaptureError> value)
        : m_value(std::move(value)) {}

    std::variant<Success, CaptureError> m_value;
};

} // namespace vantrel
