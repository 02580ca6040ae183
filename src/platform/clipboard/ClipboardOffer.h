#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What a clipboard server offers for one payload, as the command that made it hands it over: each
// target with its value, rendered by the command, and the picture as pixels, made a PNG only when
// a receiver asks for one. The command writes it to a file in the plain format below (whole, then
// renamed into place); the server reads it back without a toolkit.
class ClipboardOffer final {
  public:
    // A target names its value by index; this index is the picture, as PNG.
    static constexpr std::uint32_t pictureValue = 0xffffffff;

    struct Target {
        std::string name;    // the X11 target
        bool onWayland;      // also offered on Wayland, as the MIME type of the same name
        std::uint32_t value; // into values(), or pictureValue
    };
    // Qt's RGB32 / ARGB32 words (0xAARRGGBB, the machine's byte order), rows `bytesPerRow` apart,
    // held by the offer's owner (below), never copied.
    struct Picture {
        int width = 0;
        int height = 0;
        bool alpha = false;
        const unsigned char* bytes = nullptr;
        std::size_t bytesPerRow = 0;
    };

    ClipboardOffer() = default;
    // `pixelOwner` keeps the picture's bytes alive as long as the offer.
    ClipboardOffer(std::vector<std::string> values, std::vector<Target> targets,
                   std::optional<Picture> picture, std::shared_ptr<const void> pixelOwner = {})
        : m_values(std::move(values)), m_targets(std::move(targets)), m_picture(std::move(picture)),
          m_pixelOwner(std::move(pixelOwner)) {}

    // The X11 targets in the order given; the Wayland MIME types, the same less X11's own.
    std::vector<std::string> names() const;
    std::vector<std::string> mimeTypes() const;
    // The value of one target or MIME type; none when there is none. The PNG is encoded on the
    // first request for it and kept; a picture the encoder refuses is not offered as empty bytes.
    std::optional<std::string> render(std::string_view name);
    std::optional<std::string> renderMimeType(std::string_view type);

    const std::optional<Picture>& picture() const { return m_picture; }

    // The file: see docs/pasteboard.md. Integers are unsigned, in the machine's byte order (the
    // file never leaves the machine): "VCLP", u32 version 2; u32 value count, each value a u64
    // length and its bytes; u32 target count, each a u32 name length, the name, a u8 Wayland flag
    // and a u32 value index; u8 picture flag, then u32 width, u32 height, u8 alpha flag and the
    // pixels. Nothing may follow.
    std::string encoded() const;
    // The offer, or why the bytes are not one this build wrote. The picture stays in `bytes`,
    // which `owner` keeps alive (the caller must, when there is none).
    struct Decoded;
    static Decoded decode(std::string_view bytes, std::shared_ptr<const void> owner = {});

  private:
    std::optional<std::string> valueOf(const Target& target);
    std::optional<std::string> png();

    std::vector<std::string> m_values;
    std::vector<Target> m_targets;
    std::optional<Picture> m_picture;
    std::shared_ptr<const void> m_pixelOwner;
    std::optional<std::string> m_png;
};

struct ClipboardOffer::Decoded {
    std::optional<ClipboardOffer> offer;
    std::string error; // when there is no offer
};

} // namespace vantrel
