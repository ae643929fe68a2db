// What a fine text fax costs on the line. For a 1-page and a 10-page fax:
// the page data bytes sent per page against the pages' own Modified Huffman
// code without any fill (the header line counted apart), and the seconds
// from the connection to the end of the call against spandsp's fax
// terminal, at 9600 and 14400 bit/s, in virtual time. Run by hand.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "faxengine/fax_components.h"
#include "faxengine/sim_port.h"
#include "faximage/apf_writer.h"
#include "faximage/t4_codec.h"
#include "faximage/t4_table_decoder.h"
#include "faximage/text_converter.h"
#include "simmodem/class1_modem.h"
#include "simmodem/remote_fax.h"
#include "spandsp_far_end.h"

using namespace corvane;
using namespace corvane::engine;

namespace {

using Line = std::vector<std::uint8_t>;

// Fine text pages in the fax font, 44 typed lines each; the rasters too.
std::vector<std::vector<Line>> WriteTextFax(const std::string& path, int pages,
                                            int textLines = 44) {
    auto text = std::make_unique<faximage::TextConverter>();
    faximage::CreateTextConverter(text);
    faximage::LoadFaxFont(*text, "", faximage::kStandardFontBytesPerGlyph, true);
    faximage::ApfWriter writer;
    writer.Create(path, faximage::ApfWriter::Mode::Atomic);
    faximage::T4Encoder encoder;
    encoder.margin = 0;
    std::vector<std::vector<Line>> rasters(static_cast<std::size_t>(pages));
    for (int page = 0; page < pages; ++page) {
        writer.BeginPage(faximage::pfFine | faximage::pfCountedLines);
        for (int line = 0; line < textLines; ++line) {
            const std::string words = "Line " + std::to_string(line + 1) + " of page " +
                                      std::to_string(page + 1) +
                                      ": the quick brown fox jumps over the lazy dog, again.";
            for (int row = 1; row <= text->metrics.rows; ++row) {
                Line raster(4096, 0);
                faximage::RenderTextRow(*text, words, row, raster);
                faximage::EncodeLine(encoder, raster.data());
                writer.AppendLineRecord(encoder.buffer.data(),
                                        static_cast<std::uint16_t>(encoder.bytePos));
                raster.resize(216);
                rasters[static_cast<std::size_t>(page)].push_back(raster);
            }
        }
        const auto& end = faximage::kEndOfPageRecord;
        writer.AppendLineRecord(end.data(), static_cast<std::uint16_t>(end.size()));
        writer.EndPage();
    }
    writer.Finish(faximage::NewFileHeader());
    return rasters;
}

// Bytes of the lines' Modified Huffman code, EOLs and RTC, and no fill.
double CodeBytes(const std::vector<Line>& lines) {
    faximage::T4PackedWriter writer;
    writer.Reset(0);
    for (const Line& line : lines) writer.PutLine(line.data(), 1728);
    writer.PutEndOfPage();
    writer.Finish();
    return static_cast<double>(writer.Bytes().size());
}

void SetUp(CvSendFax& fax, SimComPort& port, const std::string& path, std::uint16_t bps) {
    fax.SetComPort(&port);
    fax.faxClass = FaxClass::fcClass1;
    fax.desiredBPS = bps;
    fax.phoneNumber = "5551234";
    fax.faxFile = path;
    fax.stationID = "5550199";
    fax.headerLine = "Corvane  Page $P of $N";
}

// Page data bytes per page as the strict simulated remote received them,
// with no minimum scan-line time asked.
std::vector<double> BytesPerPage(const std::string& path) {
    Scheduler scheduler;
    simmodem::PhoneNetwork network(scheduler);
    simmodem::Class1Modem modem(network, simmodem::ModemConfig{});
    SimComPort port(scheduler, modem);
    port.Open();
    simmodem::RemoteFaxConfig remoteConfig;
    remoteConfig.capabilities.scanFineMs = 0;
    remoteConfig.capabilities.scanNormalMs = 0;
    simmodem::RemoteFax remote(network, remoteConfig);
    network.Assign("5551234", remote);
    CvSendFax fax(scheduler, scheduler);
    SetUp(fax, port, path, 9600);
    bool done = false;
    fax.onFaxFinish = [&](CvCustomAbstractFax&, int) { done = true; };
    fax.StartTransmit();
    scheduler.RunUntil([&] { return done; }, Seconds(7200));
    std::vector<double> bytes;
    for (const auto& page : remote.Pages())
        bytes.push_back(static_cast<double>(page.page.data.size()));
    return bytes;
}

double LineSeconds(const std::string& path, std::uint16_t bps, bool& ok) {
    Scheduler scheduler;
    testpeer::SpandspConfig config;
    config.receiveFile = "/tmp/corvane_bench_line.tif";
    testpeer::SpandspFarEnd far(scheduler, config);
    SimComPort port(scheduler, far);
    port.Open();
    CvSendFax fax(scheduler, scheduler);
    SetUp(fax, port, path, bps);
    std::optional<int> finish;
    fax.onFaxFinish = [&](CvCustomAbstractFax&, int code) { finish = code; };
    fax.StartTransmit();
    scheduler.RunUntil([&] { return finish.has_value() && far.Finished(); }, Seconds(7200));
    ok = finish == 0 && far.CompletionCode() == 0;
    return static_cast<double>(far.LineTime()) * 1e-6;
}

}  // namespace

int main() {
    std::printf("%-6s %-16s %-16s %-20s %-9s %-9s\n", "pages", "bytes/page sent", "of which header",
                "body x its MH code", "9600 s", "14400 s");
    // The header alone: pages without text carry only the header and RTC.
    const std::string headerOnly = "/tmp/corvane_bench_line_header.apf";
    WriteTextFax(headerOnly, 1, 0);
    const double rtcBytes = CodeBytes({});
    const double headerBytes = BytesPerPage(headerOnly).at(0) - rtcBytes;
    for (const int pages : {1, 10}) {
        const std::string path = "/tmp/corvane_bench_line_" + std::to_string(pages) + ".apf";
        const auto rasters = WriteTextFax(path, pages);
        const std::vector<double> sent = BytesPerPage(path);
        double sentTotal = 0, codeTotal = 0;
        for (double b : sent) sentTotal += b;
        for (const auto& page : rasters) codeTotal += CodeBytes(page);
        const double perPage = sentTotal / static_cast<double>(sent.size());
        const double codePerPage = codeTotal / pages;
        bool ok9600 = false, ok14400 = false;
        const double s9600 = LineSeconds(path, 9600, ok9600);
        const double s14400 = LineSeconds(path, 14400, ok14400);
        std::printf("%-6d %-16.0f %-16.0f %-20.4f %-9.1f %-9.1f%s\n", pages, perPage, headerBytes,
                    (perPage - headerBytes) / codePerPage, s9600, s14400,
                    ok9600 && ok14400 ? "" : "  (a send failed)");
    }
    return 0;
}
