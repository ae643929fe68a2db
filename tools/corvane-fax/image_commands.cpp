// The fax image commands: info, convert, render, export, import.
#include <cstdio>
#include <ctime>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "command_registry.h"
#include "faximage/apf_file.h"
#include "faximage/fax_errors.h"
#include "faximage/fax_unpacker.h"
#include "faximage/fax_unpacker_component.h"
#include "picture_conversion.h"
#include "picture_io.h"
#include "tiff_fax.h"

namespace corvane::cli {
namespace {

using namespace corvane::faximage;

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

struct ParsedArguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
};

// False for an unknown option or a missing value.
bool ParseArguments(const Arguments& args, const std::set<std::string>& flagNames,
                    const std::set<std::string>& valueNames, ParsedArguments& parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(arg);
        } else if (flagNames.count(arg)) {
            parsed.flags.insert(arg);
        } else if (valueNames.count(arg) && i + 1 < args.size()) {
            parsed.values[arg] = args[++i];
        } else {
            return false;
        }
    }
    return true;
}

// A whole number in [low, high]; false otherwise.
bool ParseNumber(const std::string& text, long low, long high, long& value) {
    try {
        std::size_t used = 0;
        value = std::stol(text, &used);
        return used == text.size() && value >= low && value <= high;
    } catch (const std::exception&) {
        return false;
    }
}

int Usage(const char* usage) {
    std::fprintf(stderr, "usage: corvane-fax %s\n", usage);
    return kUsage;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "corvane-fax: %s\n", message.c_str());
    return kFailure;
}

// Runs a command body, turning its errors into exit code 1 and a message.
template <typename Body>
int Guarded(Body body) {
    try {
        return body();
    } catch (const FaxError& error) {
        return Fail(error.what());
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}

std::string DateStampText(std::uint32_t stamp) {
    if (stamp == 0)
        return "none";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (stamp >> 25),
                  (stamp >> 21) & 0x0F, (stamp >> 16) & 0x1F, (stamp >> 11) & 0x1F,
                  (stamp >> 5) & 0x3F, (stamp & 0x1F) * 2);
    return text;
}

std::string FlagNames(std::uint16_t flags) {
    std::string names;
    const auto add = [&names](const char* name) {
        names += names.empty() ? name : std::string(", ") + name;
    };
    if (flags & pfFine)
        add("fine");
    if (flags & pfWide)
        add("wide");
    if (flags & pfCountedLines)
        add("counted lines");
    return names.empty() ? "none" : names;
}

int FlaggedWidth(const ApfPageHeader& header) {
    return (header.pageFlags & pfWide) ? kWideLineWidth : kStandardLineWidth;
}

struct PageLineSummary {
    long lines = 0;
    int widestLine = 0;  // pixels
    int badCodes = 0;
};

int SummarisePageLines(const std::string& path, int page, PageLineSummary& summary) {
    std::unique_ptr<UnpackerState> state;
    int code = CreateUnpacker(
        [&summary](UnpackerState&, int flags, const std::uint8_t*, int, int length) {
            if (flags == ulLine) {
                ++summary.lines;
                summary.widestLine = std::max(summary.widestLine, length * 8);
            }
            return ecOK;
        },
        state);
    if (code != ecOK)
        return code;
    ClearUnpackOption(*state, 0xFFFF);
    code = DecodePageLines(*state, path, page);
    summary.badCodes = state->BadCodes();
    return code;
}

constexpr const char* kInfoUsage = "info FILE.apf";

int RunInfo(const Arguments& args) {
    if (args.size() != 1)
        return Usage(kInfoUsage);
    const std::string& path = args[0];
    ApfFileHeader header;
    if (const int code = ReadApfHeader(path, header); code != ecOK)
        return Fail(path + ": " + ErrorText(code));
    std::printf("signature: %.5s\n", header.signature.data());
    std::printf("pages: %u\n", header.pageCount);
    std::printf("station id: \"%s\"\n", header.StationId().c_str());
    std::printf("date stamp: %s\n", DateStampText(header.dateStamp).c_str());
    for (int page = 1; page <= header.pageCount; ++page) {
        ApfPageHeader pageHeader;
        PageLineSummary summary;
        int code = LookupPageHeader(path, page, pageHeader);
        if (code == ecOK)
            code = SummarisePageLines(path, page, summary);
        if (code != ecOK)
            return Fail(path + ": page " + std::to_string(page) + ": " + ErrorText(code));
        std::printf("page %d: data length %u, flags %u (%s), lines %ld, width %d, bad codes %d\n",
                    page, pageHeader.dataLength, pageHeader.pageFlags,
                    FlagNames(pageHeader.pageFlags).c_str(), summary.lines,
                    summary.lines > 0 ? summary.widestLine : FlaggedWidth(pageHeader),
                    summary.badCodes);
    }
    return kSuccess;
}

constexpr const char* kConvertUsage =
    "convert IN OUT.apf [--fine] [--wide] [--margin N] [--station ID]";

int RunConvert(const Arguments& args) {
    ParsedArguments parsed;
    if (!ParseArguments(args, {"--fine", "--wide"}, {"--margin", "--station"}, parsed) ||
        parsed.positional.size() != 2)
        return Usage(kConvertUsage);
    ConversionSettings settings;
    settings.fine = parsed.flags.count("--fine") > 0;
    settings.wide = parsed.flags.count("--wide") > 0;
    settings.stationId = parsed.values["--station"];
    if (parsed.values.count("--margin")) {
        long margin = 0;
        const long lineWidth = settings.wide ? kWideLineWidth : kStandardLineWidth;
        if (!ParseNumber(parsed.values["--margin"], 0, lineWidth - 1, margin))
            return Usage(kConvertUsage);
        settings.leftMargin = static_cast<unsigned>(margin);
    }
    return Guarded([&] {
        const std::vector<PicturePage> pictures = ReadPictures(parsed.positional[0]);
        std::vector<ConversionPage> pages;
        for (const PicturePage& picture : pictures) pages.push_back({&picture.raster, settings});
        ConvertPicturePages(pages, parsed.positional[1]);
        return kSuccess;
    });
}

constexpr const char* kRenderUsage =
    "render FILE.apf --page N OUT.(pbm|png) [--scale M/D] [--auto none|double-height|half-width]";

bool ParseScale(const std::string& text, long& multiplier, long& divisor) {
    const auto slash = text.find('/');
    return slash != std::string::npos && ParseNumber(text.substr(0, slash), 1, 64, multiplier) &&
           ParseNumber(text.substr(slash + 1), 1, 64, divisor);
}

// The unpacker trims a page to its content; the picture keeps the whole line.
Raster ToFullWidth(const Raster& content, int width) {
    Raster full(width, content.Height());
    const int bytes = std::min(full.BytesPerRow(), content.BytesPerRow());
    for (int y = 0; y < content.Height(); ++y) {
        const auto from = content.Row(y);
        std::copy_n(from.begin(), bytes, full.Row(y).begin());
        if (width % 8)
            full.Row(y)[bytes - 1] &= static_cast<std::uint8_t>(0xFF << (8 - width % 8));
    }
    return full;
}

int RunRender(const Arguments& args) {
    ParsedArguments parsed;
    long page = 0, multiplier = 1, divisor = 1;
    if (!ParseArguments(args, {}, {"--page", "--scale", "--auto"}, parsed) ||
        parsed.positional.size() != 2 || !parsed.values.count("--page") ||
        !ParseNumber(parsed.values["--page"], 1, 65535, page))
        return Usage(kRenderUsage);
    if (parsed.values.count("--scale") &&
        !ParseScale(parsed.values["--scale"], multiplier, divisor))
        return Usage(kRenderUsage);
    const std::map<std::string, AutoScaleMode> modes = {
        {"none", AutoScaleMode::asNone},
        {"double-height", AutoScaleMode::asDoubleHeight},
        {"half-width", AutoScaleMode::asHalfWidth}};
    AutoScaleMode mode = AutoScaleMode::asDoubleHeight;
    if (parsed.values.count("--auto")) {
        const auto found = modes.find(parsed.values["--auto"]);
        if (found == modes.end())
            return Usage(kRenderUsage);
        mode = found->second;
    }
    const std::string& path = parsed.positional[0];
    return Guarded([&] {
        ApfPageHeader pageHeader;
        if (const int code = LookupPageHeader(path, static_cast<int>(page), pageHeader);
            code != ecOK)
            throw FaxError(code);
        CvFaxUnpacker unpacker;
        unpacker.SetInFileName(path);
        unpacker.SetAutoScaleMode(mode);
        unpacker.SetScaling(multiplier != divisor);
        unpacker.SetHorizMult(static_cast<unsigned>(multiplier));
        unpacker.SetHorizDiv(static_cast<unsigned>(divisor));
        unpacker.SetVertMult(static_cast<unsigned>(multiplier));
        unpacker.SetVertDiv(static_cast<unsigned>(divisor));
        const Raster content = unpacker.PageBitmap(static_cast<int>(page));
        if (content.IsEmpty())
            throw std::runtime_error(path + ": page " + std::to_string(page) + " has no lines");
        long width = FlaggedWidth(pageHeader);
        const bool halved = mode == AutoScaleMode::asHalfWidth && !(pageHeader.pageFlags & pfFine);
        if (halved)
            width /= 2;
        WritePicture(parsed.positional[1],
                     ToFullWidth(content, static_cast<int>(width * multiplier / divisor)));
        return kSuccess;
    });
}

constexpr const char* kExportUsage = "export FILE.apf OUT.tif";
constexpr const char* kImportUsage = "import IN.tif OUT.apf";

int RunExport(const Arguments& args) {
    if (args.size() != 2)
        return Usage(kExportUsage);
    return Guarded([&] {
        ExportTiffClassF(args[0], args[1]);
        return kSuccess;
    });
}

int RunImport(const Arguments& args) {
    if (args.size() != 2)
        return Usage(kImportUsage);
    return Guarded([&] {
        ImportTiffClassF(args[0], args[1]);
        return kSuccess;
    });
}

const CommandRegistration kInfo({"info", kInfoUsage, RunInfo});
const CommandRegistration kConvert({"convert", kConvertUsage, RunConvert});
const CommandRegistration kRender({"render", kRenderUsage, RunRender});
const CommandRegistration kExport({"export", kExportUsage, RunExport});
const CommandRegistration kImport({"import", kImportUsage, RunImport});

}  // namespace
}  // namespace corvane::cli
