#pragma once

#include "mcp/ImageShrinking.h"

namespace vantrel {

// Reads a screenshot and encodes it at the size ImageFit allows, as PNG.
class PngShrinker final : public ImageShrinking {
  public:
    std::optional<Picture> shrink(const QString& path, int maxEdge) const override;

  private:
    static std::optional<Picture> unchanged(const QString& path, QSize size, int maxEdge);
};

} // namespace vantrel
