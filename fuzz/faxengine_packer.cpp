// Stored page data of any kind through the packer that codes it again for
// the line, in any form the page and the session may have: no crash, no
// sanitizer report, and what comes out is a whole page again: every line
// decodes at the session's width, nothing is a bad code, and it ends in RTC.
// The first byte picks the forms and the minimum line length.
#include <cstdint>
#include <cstdlib>

#include "faxengine/page_packer.h"
#include "faximage/t4_table_decoder.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    const engine::PageForm session{(choice & 1) != 0, (choice & 2) != 0};
    const engine::PageForm source{(choice & 4) != 0, (choice & 8) != 0};
    const std::size_t minLineBytes = (choice >> 4) * 7u;
    ++data;
    --size;

    engine::PagePacker packer;
    std::vector<std::uint8_t> out;
    auto take = [&] {
        out.insert(out.end(), packer.Ready().begin(), packer.Ready().end());
        packer.Taken();
    };
    packer.Begin(minLineBytes, session);
    packer.AddWhiteLines(2);
    take();
    packer.SetSource(source);
    // In two parts, as blocks of a page arrive.
    packer.Add({data, size / 2});
    packer.AddFill(size % 5);
    packer.Add({data + size / 2, size - size / 2});
    packer.End();
    take();

    const int width = session.wide ? faximage::kWideLineWidth : faximage::kStandardLineWidth;
    faximage::T4TableDecoder decoder([width](const std::uint8_t*, int bytes) {
        if (bytes * 8 != width)
            std::abort();
    });
    decoder.StartPage();
    decoder.DecodeBlock(out.data(), out.size());
    if (decoder.BadCodes() != 0 || !decoder.PageEnded())
        std::abort();
    return 0;
}
