#pragma once

#include "../AppIdentity.h"
#include "../PlatformVocabulary.h"

namespace vantrel {

// The words a Linux desktop uses for our keys and its settings, and the name it knows us by.
struct LinuxVocabulary {
    static PlatformVocabulary words();
    // Version and build are the executable's to add.
    static AppIdentity identity();
};

} // namespace vantrel
