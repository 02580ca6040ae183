#pragma once

#include "../LoginItemService.h"
#include "../PlatformError.h"

#include <optional>

namespace vantrel {

// The login item, starting from the scene's status.
class SimLoginItem final : public LoginItemService {
  public:
    explicit SimLoginItem(Status status);

    Status status() const override { return m_status; }
    void registerItem() override;
    void unregisterItem() override;

    void setStatus(Status status) { m_status = status; }
    // While set, register and unregister throw it and leave the status alone.
    void setError(std::optional<PlatformError> error) { m_error = std::move(error); }
    int registerCount() const { return m_registers; }
    int unregisterCount() const { return m_unregisters; }

  private:
    Status m_status;
    std::optional<PlatformError> m_error;
    int m_registers = 0;
    int m_unregisters = 0;
};

} // namespace vantrel
