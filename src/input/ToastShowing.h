#pragma once

#include <QString>

namespace vantrel {

// Shows the short confirmation after a successful capture.
class ToastShowing {
  public:
    virtual ~ToastShowing() = default;

    virtual void show(const QString& text) = 0;
};

} // namespace vantrel
