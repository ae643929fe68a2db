#include "cover_source.h"

#include <array>
#include <functional>
#include <map>
#include <stdexcept>

#include "covers/files/cover_data_file.h"
#include "covers/files/cover_values.h"

namespace corvane::covers {

namespace {

using Attributes = std::map<std::string, std::string>;

const std::map<std::string, std::int32_t> kKinds{
    {"text", ekText},       {"label", ekLabel},      {"shape", ekShape},       {"line", ekLine},
    {"flags", ekFlagsLine}, {"field", ekValueField}, {"message", ekMessageBox}};
const std::map<std::string, std::int32_t> kShapes{{"rect", 0}, {"round", 2}, {"ellipse", 4}};
const std::map<std::string, std::int32_t> kFills{{"none", 0}, {"white", 1}, {"black", 2}};
const std::map<std::string, std::int32_t> kDirections{
    {"across", 0}, {"down", 1}, {"rising", 2}, {"falling", 3}};

std::int32_t Named(const std::map<std::string, std::int32_t>& names, const std::string& value,
                   const std::string& what) {
    const auto found = names.find(value);
    if (found == names.end())
        throw std::runtime_error("unknown " + what + " \"" + value + "\"");
    return found->second;
}

std::int32_t Number(const std::string& value) {
    std::size_t used = 0;
    const long number = std::stol(value, &used);
    if (used != value.size())
        throw std::runtime_error("\"" + value + "\" is not a number");
    return static_cast<std::int32_t>(number);
}

std::int32_t FieldIndex(const std::string& value) {
    for (std::size_t i = 0; i < kCoverTexts.size(); ++i)
        if (kCoverTexts[i].name == value)
            return static_cast<std::int32_t>(i);
    throw std::runtime_error("unknown value \"" + value + "\"");
}

// key=value and key="value with spaces"; a bare word is key=1.
Attributes SplitAttributes(const std::string& line, std::size_t from) {
    Attributes attributes;
    std::size_t i = from;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size())
            break;
        const std::size_t keyEnd = line.find_first_of("= ", i);
        const std::string key = line.substr(i, keyEnd - i);
        if (keyEnd == std::string::npos || line[keyEnd] == ' ') {
            attributes[key] = "1";
            i = keyEnd;
            continue;
        }
        i = keyEnd + 1;
        std::string value;
        if (i < line.size() && line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string::npos)
                throw std::runtime_error("unclosed quote");
            value = line.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            const std::size_t end = line.find(' ', i);
            value = line.substr(i, end - i);
            i = end;
        }
        attributes[key] = value;
    }
    return attributes;
}

using Setter = std::function<void(TemplateElement&, const std::string&)>;

const std::map<std::string, Setter>& Setters() {
    static const std::map<std::string, Setter> setters{
        {"left", [](TemplateElement& e, const std::string& v) { e.Left = Number(v); }},
        {"top", [](TemplateElement& e, const std::string& v) { e.Top = Number(v); }},
        {"width", [](TemplateElement& e, const std::string& v) { e.Width = Number(v); }},
        {"height", [](TemplateElement& e, const std::string& v) { e.Height = Number(v); }},
        {"text", [](TemplateElement& e, const std::string& v) { e.Text = v; }},
        {"font", [](TemplateElement& e, const std::string& v) { e.FontName = v; }},
        {"size", [](TemplateElement& e, const std::string& v) { e.FontSize = Number(v); }},
        {"bold", [](TemplateElement& e, const std::string& v) { e.Bold = v == "1"; }},
        {"italic", [](TemplateElement& e, const std::string& v) { e.Italic = v == "1"; }},
        {"underline", [](TemplateElement& e, const std::string& v) { e.Underline = v == "1"; }},
        {"shape", [](TemplateElement& e,
                     const std::string& v) { e.ShapeKind = Named(kShapes, v, "shape"); }},
        {"fill",
         [](TemplateElement& e, const std::string& v) { e.FillStyle = Named(kFills, v, "fill"); }},
        {"pen", [](TemplateElement& e, const std::string& v) { e.PenWidth = Number(v); }},
        {"direction",
         [](TemplateElement& e, const std::string& v) {
             e.LineDirection = Named(kDirections, v, "direction");
         }},
        {"roundness", [](TemplateElement& e, const std::string& v) { e.Roundness = Number(v); }},
        {"value", [](TemplateElement& e, const std::string& v) { e.FieldIndex = FieldIndex(v); }},
    };
    return setters;
}

TemplateElement ParseElement(const std::string& line) {
    const std::size_t end = line.find(' ');
    TemplateElement element;
    element.Kind = Named(kKinds, line.substr(0, end), "element");
    element.FontName = "Arial";
    element.FontSize = 20;
    element.FillStyle = 0;
    for (const auto& [key, value] : SplitAttributes(line, end)) {
        const auto setter = Setters().find(key);
        if (setter == Setters().end())
            throw std::runtime_error("unknown attribute \"" + key + "\"");
        setter->second(element, value);
    }
    return element;
}

}  // namespace

CoverSource ParseCoverSource(const std::string& text) {
    CoverSource source;
    int number = 0;
    for (const std::string& line : SplitLines(text)) {
        ++number;
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || line[start] == '#')
            continue;
        const std::string content = line.substr(start);
        try {
            if (content.rfind("description:", 0) == 0)
                source.description = content.substr(content.find_first_not_of(' ', 12));
            else
                source.elements.push_back(ParseElement(content));
        } catch (const std::exception& error) {
            throw std::runtime_error("line " + std::to_string(number) + ": " + error.what());
        }
    }
    return source;
}

}  // namespace corvane::covers
