#pragma once

namespace vantrel {

// Registration of the application as a login item. Failures throw PlatformError.
class LoginItemService {
  public:
    enum class Status { notRegistered, enabled, requiresApproval, notFound };

    virtual ~LoginItemService() = default;

    virtual Status status() const = 0;
    virtual void registerItem() = 0;
    virtual void unregisterItem() = 0;
};

} // namespace vantrel
