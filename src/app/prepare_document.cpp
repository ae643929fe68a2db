#include "prepare_document.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>
#include <vector>

#include "faximage/apf_file.h"
#include "faximage/fax_converter_component.h"
#include "faximage/fax_errors.h"
#include "faximage/fax_unpacker_component.h"
#include "faximage/raster.h"
#include "program_directory.h"

namespace corvane::app {
namespace {

using faximage::Raster;

// Every body page is drawn onto this raster, which grows for taller pages.
constexpr int kRenderWidth = 1664;
constexpr int kRenderHeight = 2156;

std::string PageWorkName(int page) {
    return ProgramDirectory() + "TEMP" + std::to_string(page) + ".apf";
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void RemoveFiles(const std::vector<std::string>& names) {
    for (const std::string& name : names) std::remove(name.c_str());
}

// The page's top-left part on a white raster; the two black pixels on the
// right edge keep every page at the full width and height when coded.
Raster RenderedPage(const Raster& page) {
    Raster raster(kRenderWidth, std::max(kRenderHeight, page.Height()));
    const int copyWidth = std::min(page.Width(), kRenderWidth);
    const int wholeBytes = copyWidth / 8;
    const int restBits = copyWidth % 8;
    for (int y = 0; y < page.Height(); ++y) {
        const auto from = page.Row(y);
        const auto to = raster.Row(y);
        std::copy_n(from.begin(), wholeBytes, to.begin());
        if (restBits)
            to[wholeBytes] = from[wholeBytes] & static_cast<std::uint8_t>(0xFF00 >> restBits);
    }
    raster.SetPixel(kRenderWidth - 1, 0, true);
    raster.SetPixel(kRenderWidth - 1, raster.Height() - 1, true);
    return raster;
}

// Joins the page files into the first and copies that to target, so
// target appears whole or not at all.
bool JoinPages(const std::vector<std::string>& pages, const std::string& target) {
    try {
        for (std::size_t i = 1; i < pages.size(); ++i)
            if (FileExists(pages[i]))
                faximage::JoinApfFiles(pages.front(), pages[i]);
    } catch (const FaxError&) {
        return false;
    }
    return CopyFileIfDifferent(pages.front(), target);
}

}  // namespace

bool PrepareDocument(const std::string& source, const std::string& target) {
    if (!FileExists(source))
        return true;
    faximage::CvFaxUnpacker unpacker;
    unpacker.SetInFileName(source);
    int pageCount = 0;
    try {
        pageCount = unpacker.GetPageCount();
    } catch (const FaxError&) {
        return false;
    }
    if (pageCount == 0)
        return false;

    faximage::CvFaxConverter converter;
    converter.SetOptions(faximage::coYield);
    converter.SetResolution(faximage::FaxResolution::frHigh);
    converter.SetLeftMargin(0);
    std::vector<std::string> pages;
    bool failed = false;
    for (int page = 1; page <= pageCount; ++page) {
        try {
            const Raster rendered = RenderedPage(unpacker.PageBitmap(page));
            const std::string name = PageWorkName(page);
            converter.SetOutFileName(name);
            converter.ConvertBitmap(rendered);
            pages.push_back(name);
        } catch (const FaxError&) {
            failed = true;
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    }
    const bool joined = !failed && JoinPages(pages, target);
    RemoveFiles(pages);
    return joined;
}

PrepareResult PrepareOutgoingFax(const std::string& faxDoc, const std::string& faxCover,
                                 std::string& workFile) {
    workFile.clear();
    std::string body;
    if (!faxDoc.empty()) {
        const std::string source = FindIgnoringCase(SendDirectory(), faxDoc);
        if (FileExists(source)) {
            body = UniqueWorkName("FAX");
            if (!PrepareDocument(source, body)) {
                std::remove(body.c_str());
                return PrepareResult::OpenError;
            }
            if (!FileExists(body))
                body.clear();
        }
    }
    std::string cover;
    if (!faxCover.empty()) {
        const std::string source = FindIgnoringCase(SendDirectory(), faxCover);
        if (FileExists(source)) {
            cover = UniqueWorkName("FAX");
            if (!CopyFileIfDifferent(source, cover)) {
                RemoveFiles({body});
                return PrepareResult::OpenError;
            }
        }
    }
    if (!body.empty() && !cover.empty()) {
        try {
            faximage::JoinApfFiles(cover, body);
        } catch (const FaxError&) {
            RemoveFiles({body, cover});
            return PrepareResult::OpenError;
        }
        std::remove(body.c_str());
        body.clear();
    }
    workFile = cover.empty() ? body : cover;
    return workFile.empty() ? PrepareResult::NoFile : PrepareResult::Prepared;
}

PrepareResult PrepareIncomingFax(const std::string& faxFile, std::string& workFile) {
    workFile.clear();
    if (faxFile.empty())
        return PrepareResult::NoFile;
    const std::string source = FindIgnoringCase(ReceiveDirectory(), faxFile);
    if (!FileExists(source))
        return PrepareResult::NoFile;
    const std::string target = UniqueWorkName("FAX");
    if (!PrepareDocument(source, target)) {
        std::remove(target.c_str());
        return PrepareResult::OpenError;
    }
    if (!FileExists(target))
        return PrepareResult::NoFile;
    workFile = target;
    return PrepareResult::Prepared;
}

std::string OutgoingTitle(const std::string& recipient, const std::string& subject) {
    std::string title;
    if (!recipient.empty())
        title = "To: " + recipient + " ";
    if (!subject.empty())
        title += (title.empty() ? "Subject: " : ",   Subject: ") + subject;
    return title;
}

std::string IncomingTitle(const std::string& from, const std::string& notes) {
    return notes.empty() ? from : from + " - " + notes;
}

}  // namespace corvane::app
