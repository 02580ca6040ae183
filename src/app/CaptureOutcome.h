#pragma once

#include "CaptureError.h"

#include <QString>

#include <variant>

namespace vantrel {

// A capture's result: the status line on success, the stopping error otherwise.
class CaptureOutcome {
  public:
    static CaptureOutcome success(QString statusLine) {
        return CaptureOutcome(std::move(statusLine));
    }
    static CaptureOutcome failure(CaptureError error) { return CaptureOutcome(std::move(error)); }

    bool isSuccess() const { return std::holds_alternative<QString>(m_value); }
    const QString& statusLine() const { return std::get<QString>(m_value); }
    const CaptureError& error() const { return std::get<CaptureError>(m_value); }

  private:
    explicit CaptureOutcome(std::variant<QString, CaptureError> value)
        : m_value(std::move(value)) {}

    std::variant<QString, CaptureError> m_value;
};

} // namespace vantrel
