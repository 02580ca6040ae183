#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantrel::fuzz::VANTREL_FUZZ_ENTRY(data, size);
    return 0;
}
