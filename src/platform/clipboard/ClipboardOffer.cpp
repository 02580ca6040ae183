#include "ClipboardOffer.h"

#include "png/RgbPngEncoder.h"

#include <cstring>

namespace vantrel {

namespace {

constexpr char offerMagic[4] = {'V', 'C', 'L', 'P'};
constexpr std::uint32_t offerVersion = 2;

template <class T> void appendWord(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads the file front to back; the first thing that does not fit is the error, and then every
// later read fails too.
class OfferReader final {
  public:
    explicit OfferReader(std::string_view bytes) : m_rest(bytes) {}

    template <class T> T word(const char* what) {
        T value{};
        if (const std::string_view raw = take(sizeof value, what); raw.size() == sizeof value)
            std::memcpy(&value, raw.data(), sizeof value);
        return value;
    }
    std::string_view take(std::uint64_t length, const char* what) {
        if (!m_error.empty())
            return {};
        if (length > m_rest.size()) {
            m_error = std::string("it ends in ") + what;
            return {};
        }
        const std::string_view taken = m_rest.substr(0, std::size_t(length));
        m_rest.remove_prefix(std::size_t(length));
        return taken;
    }
    void fail(std::string error) {
        if (m_error.empty())
            m_error = std::move(error);
    }
    const std::string& error() const { return m_error; }
    bool atEnd() const { return m_rest.empty(); }

  private:
    std::string_view m_rest;
    std::string m_error;
};

std::optional<ClipboardOffer::Picture> readPicture(OfferReader& reader) {
    ClipboardOffer::Picture picture;
    const auto width = reader.word<std::uint32_t>("the picture's size");
    const auto height = reader.word<std::uint32_t>("the picture's size");
    picture.alpha = reader.word<std::uint8_t>("the picture's size") != 0;
    if (width == 0 || height == 0 || width > 0x7fffffff || height > 0x7fffffff) {
        reader.fail("its picture has no size");
        return std::nullopt;
    }
    picture.width = int(width);
    picture.height = int(height);
    picture.bytesPerRow = std::size_t(width) * 4;
    // Checked against what is left; the pixels stay where they are.
    const std::uint64_t length = std::uint64_t(width) * height * 4;
    const std::string_view raw = reader.take(length, "the picture's pixels");
    if (raw.size() != length)
        return std::nullopt;
    picture.bytes = reinterpret_cast<const unsigned char*>(raw.data());
    return picture;
}

} // namespace

std::vector<std::string> ClipboardOffer::names() const {
    std::vector<std::string> names;
    for (const Target& target : m_targets)
        names.push_back(target.name);
    return names;
}

std::vector<std::string> ClipboardOffer::mimeTypes() const {
    std::vector<std::string> types;
    for (const Target& target : m_targets) {
        if (target.onWayland)
            types.push_back(target.name);
    }
    return types;
}

std::optional<std::string> ClipboardOffer::render(std::string_view name) {
    for (const Target& target : m_targets) {
        if (target.name == name)
            return valueOf(target);
    }
    return std::nullopt;
}

std::optional<std::string> ClipboardOffer::renderMimeType(std::string_view type) {
    for (const Target& target : m_targets) {
        if (target.onWayland && target.name == type)
            return valueOf(target);
    }
    return std::nullopt;
}

std::optional<std::string> ClipboardOffer::valueOf(const Target& target) {
    if (target.value == pictureValue)
        return png();
    if (target.value < m_values.size())
        return m_values[target.value];
    return std::nullopt;
}

std::optional<std::string> ClipboardOffer::png() {
    if (!m_picture)
        return std::nullopt;
    if (!m_png)
        m_png = RgbPngEncoder::encode({m_picture->bytes, m_picture->width, m_picture->height,
                                       m_picture->bytesPerRow, m_picture->alpha});
    return m_png->empty() ? std::nullopt : m_png;
}

std::string ClipboardOffer::encoded() const {
    std::string bytes(offerMagic, sizeof offerMagic);
    appendWord(bytes, offerVersion);
    appendWord(bytes, std::uint32_t(m_values.size()));
    for (const std::string& value : m_values) {
        appendWord(bytes, std::uint64_t(value.size()));
        bytes += value;
    }
    appendWord(bytes, std::uint32_t(m_targets.size()));
    for (const Target& target : m_targets) {
        appendWord(bytes, std::uint32_t(target.name.size()));
        bytes += target.name;
        appendWord(bytes, std::uint8_t(target.onWayland));
        appendWord(bytes, target.value);
    }
    appendWord(bytes, std::uint8_t(m_picture.has_value()));
    if (m_picture) {
        appendWord(bytes, std::uint32_t(m_picture->width));
        appendWord(bytes, std::uint32_t(m_picture->height));
        appendWord(bytes, std::uint8_t(m_picture->alpha));
        const std::size_t rowBytes = std::size_t(m_picture->width) * 4;
        bytes.reserve(bytes.size() + rowBytes * std::size_t(m_picture->height));
        for (int y = 0; y < m_picture->height; ++y)
            bytes.append(reinterpret_cast<const char*>(m_picture->bytes) +
                             std::size_t(y) * m_picture->bytesPerRow,
                         rowBytes);
    }
    return bytes;
}

ClipboardOffer::Decoded ClipboardOffer::decode(std::string_view bytes,
                                               std::shared_ptr<const void> owner) {
    OfferReader reader(bytes);
    if (reader.take(sizeof offerMagic, "its header") != std::string_view(offerMagic, 4) ||
        reader.word<std::uint32_t>("its header") != offerVersion)
        return {std::nullopt, "it is not a clipboard payload of this version"};
    ClipboardOffer offer;
    for (auto count = reader.word<std::uint32_t>("the values"); count > 0 && reader.error().empty();
         --count)
        offer.m_values.emplace_back(reader.take(reader.word<std::uint64_t>("a value"), "a value"));
    for (auto count = reader.word<std::uint32_t>("the targets");
         count > 0 && reader.error().empty(); --count) {
        Target target;
        target.name = reader.take(reader.word<std::uint32_t>("a target"), "a target");
        target.onWayland = reader.word<std::uint8_t>("a target") != 0;
        target.value = reader.word<std::uint32_t>("a target");
        offer.m_targets.push_back(std::move(target));
    }
    if (reader.word<std::uint8_t>("the picture") != 0)
        offer.m_picture = readPicture(reader);
    for (const Target& target : offer.m_targets) {
        if (target.name.empty() ||
            (target.value == pictureValue ? !offer.m_picture
                                          : target.value >= offer.m_values.size()))
            reader.fail("a target has no value");
    }
    if (reader.error().empty() && !reader.atEnd())
        reader.fail("bytes follow its end");
    if (!reader.error().empty())
        return {std::nullopt, reader.error()};
    offer.m_pixelOwner = std::move(owner);
    return {std::move(offer), {}};
}

} // namespace vantrel
