#pragma once

#include <QString>

namespace vantrel::testing {

// Takes on the environment a headless desktop fixture wrote to STATE_DIR/env; the reason when
// that file is missing or holds anything but its `export NAME='value'` and `unset NAME...` lines.
QString applyFixtureEnvironment(const QString& stateDir);

} // namespace vantrel::testing
