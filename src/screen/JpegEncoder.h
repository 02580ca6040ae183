#pragma once

#include <QIODevice>
#include <QImage>

namespace vantrel {

// Writes a picture as a baseline JPEG (4:2:0). 32-bit pictures go to TurboJPEG, which reads their
// pixels in place where Qt's writer converts them row by row; set up as Qt's writer is, it writes
// the same bytes. Every other picture goes through Qt's JPEG writer.
class JpegEncoder {
  public:
    explicit JpegEncoder(int quality) : m_quality(quality) {}

    // False when the picture cannot be encoded or the device takes fewer bytes than written.
    bool write(const QImage& image, QIODevice& device) const;

  private:
    bool writeDirect(const QImage& image, int pixelFormat, QIODevice& device) const;
    bool writeWithQt(const QImage& image, QIODevice& device) const;

    int m_quality;
};

} // namespace vantrel
