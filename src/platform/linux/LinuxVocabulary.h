#pragma once

#include "../PlatformVocabulary.h"

namespace vantrel {

// The words a Linux desktop uses for our keys and its settings.
struct LinuxVocabulary {
    static PlatformVocabulary words();
};

} // namespace vantrel
