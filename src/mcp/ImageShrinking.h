#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>

namespace vantrel {

// Turns a capture's screenshot into the picture sent to the client (see ImageFit).
class ImageShrinking {
  public:
    struct Picture {
        QByteArray png;
        QSize size;
        QSize original;
    };
    virtual ~ImageShrinking() = default;

    // None when the file cannot be read as a picture.
    virtual std::optional<Picture> shrink(const QString& path, int maxEdge) const = 0;
};

} // namespace vantrel
