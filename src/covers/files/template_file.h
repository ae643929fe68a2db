// Cover templates (".FCT"): a headerless sequence of element records, each
// a list of tagged values between a list-start byte 0x01 and a list-end
// byte 0x00. Files come from anywhere, so reading stops cleanly at the
// first record that cannot be decoded and never reads past the data.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane::covers {

enum ElementKind : std::int32_t {
    ekText = 0,
    ekLabel = 1,  // drawn as text
    ekShape = 2,
    ekLine = 3,
    ekFlagsLine = 4,
    ekValueField = 5,
    ekMessageBox = 6,
};

struct TemplateElement {
    std::int32_t Kind = ekText;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::string Text;      // bytes as stored
    std::string FontName;  // bytes as stored
    std::int32_t FontSize = 20;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    std::int32_t ShapeKind = 0;
    std::int32_t FillStyle = 0;
    std::int32_t PenWidth = 1;
    std::int32_t LineDirection = 0;
    std::int32_t Roundness = 0;
    std::int32_t FieldIndex = -1;

    bool operator==(const TemplateElement&) const = default;
};

// Decodes one record at a time from data the caller keeps alive.
class TemplateReader {
  public:
    explicit TemplateReader(std::span<const std::uint8_t> data) : data_(data) {}
    // False at the end of the data or at the first record that cannot be
    // decoded; reading stays ended from then on.
    bool Next(TemplateElement& element);

  private:
    bool Byte(std::uint8_t& value);
    bool Integer(std::int32_t& value);
    bool String(std::string& value);
    bool Boolean(bool& value);
    bool Record(TemplateElement& element);

    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    bool ended_ = false;
};

// Every complete record before the first damaged one.
std::vector<TemplateElement> ReadTemplate(std::span<const std::uint8_t> data);

// The encoding writers use: the smallest integer tag that holds the value,
// the one-byte string length below 256 characters, 0x09 / 0x08 booleans.
std::string EncodeTemplate(const std::vector<TemplateElement>& elements);

// Templates larger than this are read only up to it; the record cut there
// ends the reading like any damaged record.
inline constexpr std::size_t kMaxTemplateBytes = 16 << 20;

}  // namespace corvane::covers
