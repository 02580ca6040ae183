#pragma once

#include <cstddef>
#include <cstdint>

// One function per fuzz target. Each returns normally on any input the code must accept and
// aborts, after printing why, when an invariant breaks.
namespace vantrel::fuzz {

void scene_loader(const std::uint8_t* data, std::size_t size);
void region_filter(const std::uint8_t* data, std::size_t size);
void grapheme_cut(const std::uint8_t* data, std::size_t size);
void capture_documents(const std::uint8_t* data, std::size_t size);

} // namespace vantrel::fuzz
