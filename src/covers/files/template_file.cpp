#include "template_file.h"

#include <limits>

namespace corvane::covers {

namespace {

enum Tag : std::uint8_t {
    kListStart = 0x01,
    kListEnd = 0x00,
    kInt8 = 0x02,
    kInt16 = 0x03,
    kInt32 = 0x04,
    kShortString = 0x06,
    kLongString = 0x0C,
    kFalse = 0x08,
    kTrue = 0x09,
};

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutInteger(std::string& out, std::int32_t value) {
    if (value >= std::numeric_limits<std::int8_t>::min() &&
        value <= std::numeric_limits<std::int8_t>::max()) {
        out += static_cast<char>(kInt8);
        PutLittleEndian(out, static_cast<std::uint32_t>(value), 1);
    } else if (value >= std::numeric_limits<std::int16_t>::min() &&
               value <= std::numeric_limits<std::int16_t>::max()) {
        out += static_cast<char>(kInt16);
        PutLittleEndian(out, static_cast<std::uint32_t>(value), 2);
    } else {
        out += static_cast<char>(kInt32);
        PutLittleEndian(out, static_cast<std::uint32_t>(value), 4);
    }
}

void PutString(std::string& out, const std::string& value) {
    if (value.size() < 256) {
        out += static_cast<char>(kShortString);
        PutLittleEndian(out, static_cast<std::uint32_t>(value.size()), 1);
    } else {
        out += static_cast<char>(kLongString);
        PutLittleEndian(out, static_cast<std::uint32_t>(value.size()), 4);
    }
    out += value;
}

void PutBoolean(std::string& out, bool value) {
    out += static_cast<char>(value ? kTrue : kFalse);
}

}  // namespace

bool TemplateReader::Byte(std::uint8_t& value) {
    if (position_ >= data_.size())
        return false;
    value = data_[position_++];
    return true;
}

bool TemplateReader::Integer(std::int32_t& value) {
    std::uint8_t tag = 0;
    if (!Byte(tag))
        return false;
    int bytes = 0;
    switch (tag) {
        case kInt8:
            bytes = 1;
            break;
        case kInt16:
            bytes = 2;
            break;
        case kInt32:
            bytes = 4;
            break;
        default:
            return false;
    }
    if (data_.size() - position_ < static_cast<std::size_t>(bytes))
        return false;
    std::uint32_t raw = 0;
    for (int i = 0; i < bytes; ++i) raw |= std::uint32_t{data_[position_ + i]} << (8 * i);
    position_ += bytes;
    // Sign-extend from the stored width.
    const int unused = 32 - 8 * bytes;
    value = static_cast<std::int32_t>(raw << unused) >> unused;
    return true;
}

bool TemplateReader::String(std::string& value) {
    std::uint8_t tag = 0;
    if (!Byte(tag))
        return false;
    std::size_t length = 0;
    if (tag == kShortString) {
        std::uint8_t byte = 0;
        if (!Byte(byte))
            return false;
        length = byte;
    } else if (tag == kLongString) {
        if (data_.size() - position_ < 4)
            return false;
        for (int i = 0; i < 4; ++i) length |= std::size_t{data_[position_ + i]} << (8 * i);
        position_ += 4;
    } else {
        return false;
    }
    // A length past the data marks a cut record; nothing is allocated for it.
    if (length > data_.size() - position_)
        return false;
    value.assign(reinterpret_cast<const char*>(data_.data() + position_), length);
    position_ += length;
    return true;
}

bool TemplateReader::Boolean(bool& value) {
    std::uint8_t byte = 0;
    if (!Byte(byte))
        return false;
    value = byte == kTrue;
    return true;
}

bool TemplateReader::Record(TemplateElement& e) {
    std::uint8_t start = 0, end = 0;
    return Byte(start) && start == kListStart && Integer(e.Kind) && Integer(e.Left) &&
           Integer(e.Top) && Integer(e.Width) && Integer(e.Height) && String(e.Text) &&
           String(e.FontName) && Integer(e.FontSize) && Boolean(e.Bold) && Boolean(e.Italic) &&
           Boolean(e.Underline) && Integer(e.ShapeKind) && Integer(e.FillStyle) &&
           Integer(e.PenWidth) && Integer(e.LineDirection) && Integer(e.Roundness) &&
           Integer(e.FieldIndex) && Byte(end) && end == kListEnd;
}

bool TemplateReader::Next(TemplateElement& element) {
    if (ended_)
        return false;
    TemplateElement decoded;
    if (!Record(decoded)) {
        ended_ = true;
        return false;
    }
    element = std::move(decoded);
    return true;
}

std::vector<TemplateElement> ReadTemplate(std::span<const std::uint8_t> data) {
    std::vector<TemplateElement> elements;
    TemplateReader reader(data);
    TemplateElement element;
    while (reader.Next(element)) elements.push_back(element);
    return elements;
}

std::string EncodeTemplate(const std::vector<TemplateElement>& elements) {
    std::string out;
    for (const TemplateElement& e : elements) {
        out += static_cast<char>(kListStart);
        for (std::int32_t value : {e.Kind, e.Left, e.Top, e.Width, e.Height})
            PutInteger(out, value);
        PutString(out, e.Text);
        PutString(out, e.FontName);
        PutInteger(out, e.FontSize);
        for (bool value : {e.Bold, e.Italic, e.Underline}) PutBoolean(out, value);
        for (std::int32_t value :
             {e.ShapeKind, e.FillStyle, e.PenWidth, e.LineDirection, e.Roundness, e.FieldIndex})
            PutInteger(out, value);
        out += static_cast<char>(kListEnd);
    }
    return out;
}

}  // namespace corvane::covers
