#include "fax_page_writer.h"

#include <ctime>

#include "faximage/fax_converter_codes.h"
#include "faximage/fax_errors.h"
#include "faximage/t4_codec.h"

namespace corvane::intake {

using namespace faximage;
using corvane::ecOK;

int FaxPageWriter::Create(const std::string& path) {
    return writer_.Create(path, ApfWriter::Mode::Atomic);
}

int FaxPageWriter::AddPage(const Raster& page, bool fine) {
    if (page.Width() != kStandardLineWidth && page.Width() != kWideLineWidth)
        return ecBadArgument;
    std::uint16_t flags = pfCountedLines;
    if (fine)
        flags |= pfFine;
    if (page.Width() == kWideLineWidth)
        flags |= pfWide;
    int code = writer_.BeginPage(flags);
    T4Encoder encoder;
    encoder.width = page.Width();
    encoder.margin = 0;
    for (int y = 0; code == ecOK && y < page.Height(); ++y) {
        EncodeLine(encoder, page.Row(y).data());
        code = writer_.AppendLineRecord(encoder.buffer.data(),
                                        static_cast<std::uint16_t>(encoder.bytePos));
    }
    if (code == ecOK)
        code = writer_.AppendLineRecord(kEndOfPageRecord.data(), kEndOfPageRecord.size());
    if (code == ecOK)
        code = writer_.EndPage();
    return code;
}

int FaxPageWriter::Finish() {
    ApfFileHeader header = NewFileHeader();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    header.dateStamp = PackDateStamp(local);
    return writer_.Finish(header);
}

}  // namespace corvane::intake
