// Arbitrary bytes as an APF file through the header reader and the
// unpacker: every page of the chain is decoded with each aspect mode.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "faximage/apf_file.h"
#include "faximage/fax_errors.h"
#include "faximage/fax_unpacker.h"

using namespace corvane::faximage;

namespace {

// Bounds the work per input; the chain itself may claim 65535 pages.
constexpr int kMaxPages = 4;

// The unpacker reads files, so each input goes through one scratch file,
// removed when the fuzzer exits.
struct ScratchFile {
    std::string path = "/tmp/corvane-fuzz-apfunpack-" + std::to_string(getpid()) + ".apf";
    ~ScratchFile() { std::remove(path.c_str()); }
};

const std::string& InputPath() {
    static const ScratchFile file;
    return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = InputPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    ApfFileHeader header;
    if (ReadApfHeader(path, header) != corvane::ecOK)
        return 0;
    const int pages = std::min<int>(header.pageCount, kMaxPages);
    const std::uint16_t modes[] = {0, ufDoubleHeight, ufHalfWidth};
    for (int page = 0; page <= pages; ++page) {
        for (const std::uint16_t mode : modes) {
            std::unique_ptr<UnpackerState> state;
            if (CreateUnpacker(nullptr, state) != corvane::ecOK)
                return 0;
            ClearUnpackOption(*state, 0xFFFF);
            SetUnpackOption(*state, mode);
            SetWhitespace(*state, 3, 1);
            Raster bitmap;
            if (RenderPageBitmap(*state, path, page, mode == ufHalfWidth, bitmap) ==
                    corvane::ecOK &&
                !bitmap.IsEmpty() && bitmap.Width() > kWideLineWidth)
                __builtin_trap();  // never wider than a fax line
        }
    }
    return 0;
}
