#include "picture_io.h"

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace corvane::cli {
namespace {

using faximage::Raster;

// Larger pictures are refused before anything is allocated.
constexpr long long kMaxPictureSide = 65535;
constexpr long long kMaxPicturePixels = 1LL << 31;

void CheckSize(long long width, long long height, const std::string& path) {
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        width * height > kMaxPicturePixels)
        throw std::runtime_error(path + ": unsupported picture size");
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path + ": cannot open");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PbmParser {
  public:
    PbmParser(const std::vector<std::uint8_t>& bytes, const std::string& path)
        : bytes_(bytes), path_(path) {}

    Raster Parse() {
        const bool binary = bytes_[1] == '4';
        pos_ = 2;
        const long long width = Number(), height = Number();
        CheckSize(width, height, path_);
        Raster raster(static_cast<int>(width), static_cast<int>(height));
        if (binary) {
            ++pos_;  // the single whitespace after the height
            const std::size_t size =
                static_cast<std::size_t>(raster.BytesPerRow()) * raster.Height();
            if (pos_ > bytes_.size() || bytes_.size() - pos_ < size)
                Fail("truncated");
            for (int y = 0; y < raster.Height(); ++y) {
                auto row = raster.Row(y);
                std::copy_n(bytes_.begin() + pos_ + static_cast<std::size_t>(y) * row.size(),
                            row.size(), row.begin());
                if (width % 8)
                    row.back() &= static_cast<std::uint8_t>(0xFF << (8 - width % 8));
            }
        } else {
            for (int y = 0; y < raster.Height(); ++y)
                for (int x = 0; x < raster.Width(); ++x) raster.SetPixel(x, y, AsciiPixel());
        }
        return raster;
    }

  private:
    [[noreturn]] void Fail(const char* what) const {
        throw std::runtime_error(path_ + ": bad PBM file (" + what + ")");
    }

    void SkipSpaceAndComments() {
        while (pos_ < bytes_.size()) {
            if (bytes_[pos_] == '#') {
                while (pos_ < bytes_.size() && bytes_[pos_] != '\n') ++pos_;
            } else if (std::isspace(bytes_[pos_])) {
                ++pos_;
            } else {
                break;
            }
        }
    }

    long long Number() {
        SkipSpaceAndComments();
        long long value = 0;
        const std::size_t start = pos_;
        while (pos_ < bytes_.size() && std::isdigit(bytes_[pos_]) && value <= kMaxPictureSide)
            value = value * 10 + (bytes_[pos_++] - '0');
        if (pos_ == start)
            Fail("missing size");
        return value;
    }

    bool AsciiPixel() {
        SkipSpaceAndComments();
        if (pos_ >= bytes_.size() || (bytes_[pos_] != '0' && bytes_[pos_] != '1'))
            Fail("truncated");
        return bytes_[pos_++] == '1';
    }

    const std::vector<std::uint8_t>& bytes_;
    const std::string& path_;
    std::size_t pos_ = 0;
};

Raster ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        throw std::runtime_error(path + ": bad PNG file (" + image.message + ")");
    image.format = PNG_FORMAT_GRAY;
    try {
        CheckSize(image.width, image.height, path);
    } catch (...) {
        png_image_free(&image);
        throw;
    }
    std::vector<std::uint8_t> grey(PNG_IMAGE_SIZE(image));
    const png_color white{255, 255, 255};
    if (!png_image_finish_read(&image, &white, grey.data(), 0, nullptr))
        throw std::runtime_error(path + ": bad PNG file (" + image.message + ")");
    Raster raster(static_cast<int>(image.width), static_cast<int>(image.height));
    for (int y = 0; y < raster.Height(); ++y)
        for (int x = 0; x < raster.Width(); ++x)
            raster.SetPixel(x, y, grey[static_cast<std::size_t>(y) * image.width + x] < 128);
    return raster;
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

PicturePage ReadTiffDirectory(TIFF* tiff, const std::string& path) {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bitsPerSample = 1, samplesPerPixel = 1, photometric = PHOTOMETRIC_MINISWHITE,
                  unit = RESUNIT_INCH;
    float yResolution = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &yResolution);
    CheckSize(width, height, path);
    PicturePage page{Raster(static_cast<int>(width), static_cast<int>(height)),
                     unit == RESUNIT_CENTIMETER ? yResolution * 2.54 : yResolution};
    Raster& raster = page.raster;
    if (bitsPerSample == 1 && samplesPerPixel == 1 &&
        (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK)) {
        std::vector<std::uint8_t> line(
            std::max<tmsize_t>(TIFFScanlineSize(tiff), raster.BytesPerRow()));
        for (int y = 0; y < raster.Height(); ++y) {
            if (TIFFReadScanline(tiff, line.data(), static_cast<std::uint32_t>(y)) < 0)
                throw std::runtime_error(path + ": bad TIFF data");
            auto row = raster.Row(y);
            for (std::size_t i = 0; i < row.size(); ++i)
                row[i] = photometric == PHOTOMETRIC_MINISWHITE
                             ? line[i]
                             : static_cast<std::uint8_t>(~line[i]);
            if (width % 8)
                row.back() &= static_cast<std::uint8_t>(0xFF << (8 - width % 8));
        }
        return page;
    }
    std::vector<std::uint32_t> rgba(static_cast<std::size_t>(width) * height);
    if (!TIFFReadRGBAImageOriented(tiff, width, height, rgba.data(), ORIENTATION_TOPLEFT, 0))
        throw std::runtime_error(path + ": unsupported TIFF picture");
    for (int y = 0; y < raster.Height(); ++y) {
        for (int x = 0; x < raster.Width(); ++x) {
            const std::uint32_t pixel = rgba[static_cast<std::size_t>(y) * width + x];
            const int luminance =
                (299 * TIFFGetR(pixel) + 587 * TIFFGetG(pixel) + 114 * TIFFGetB(pixel)) / 1000;
            const int alpha = TIFFGetA(pixel);
            // Transparent parts count as white paper.
            raster.SetPixel(x, y, luminance * alpha / 255 + (255 - alpha) < 128);
        }
    }
    return page;
}

std::vector<PicturePage> ReadTiff(const std::string& path) {
    const std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(path.c_str(), "r"));
    if (!tiff)
        throw std::runtime_error(path + ": bad TIFF file");
    std::vector<PicturePage> pages;
    do {
        pages.push_back(ReadTiffDirectory(tiff.get(), path));
    } while (TIFFReadDirectory(tiff.get()));
    return pages;
}

}  // namespace

std::vector<PicturePage> ReadPictures(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    if (bytes.size() >= 2 && bytes[0] == 'P' && (bytes[1] == '1' || bytes[1] == '4'))
        return {PicturePage{PbmParser(bytes, path).Parse()}};
    if (bytes.size() >= 8 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' &&
        bytes[3] == 'G')
        return {PicturePage{ReadPng(path)}};
    if (bytes.size() >= 4 &&
        ((bytes[0] == 'I' && bytes[1] == 'I') || (bytes[0] == 'M' && bytes[1] == 'M')))
        return ReadTiff(path);
    throw std::runtime_error(path + ": not a PBM, PNG or TIFF picture");
}

namespace {

void WritePbm(const std::string& path, const Raster& raster) {
    std::ofstream out(path, std::ios::binary);
    out << "P4\n" << raster.Width() << ' ' << raster.Height() << '\n';
    const auto bytes = raster.Bytes();
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error(path + ": cannot write");
}

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

void WritePng(const std::string& path, const Raster& raster) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                               &std::fclose);
    if (!file)
        throw std::runtime_error(path + ": cannot write");
    PngWriter writer;
    writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (writer.png)
        writer.info = png_create_info_struct(writer.png);
    if (!writer.info)
        throw std::runtime_error(path + ": out of memory");
    // PNG grey is 0 = black, so rows are written inverted.
    std::vector<std::uint8_t> row(raster.BytesPerRow());
    if (setjmp(png_jmpbuf(writer.png)))
        throw std::runtime_error(path + ": cannot write");
    png_init_io(writer.png, file.get());
    png_set_IHDR(writer.png, writer.info, raster.Width(), raster.Height(), 1, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer.png, writer.info);
    for (int y = 0; y < raster.Height(); ++y) {
        const auto source = raster.Row(y);
        std::transform(source.begin(), source.end(), row.begin(),
                       [](std::uint8_t b) { return static_cast<std::uint8_t>(~b); });
        png_write_row(writer.png, row.data());
    }
    png_write_end(writer.png, nullptr);
}

bool EndsWithPng(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return tail == ".png";
}

}  // namespace

void WritePicture(const std::string& path, const Raster& raster) {
    if (raster.IsEmpty())
        throw std::runtime_error(path + ": nothing to write (empty picture)");
    if (EndsWithPng(path))
        WritePng(path, raster);
    else
        WritePbm(path, raster);
}

}  // namespace corvane::cli
