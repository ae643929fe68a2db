// The pages of one open fax file for the viewer: decoded when first asked
// for, turned by the current rotation, and kept in a small cache (or all of
// them, on request) so a long fax opens at once.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "faximage/fax_unpacker_component.h"
#include "faximage/raster.h"

namespace corvane::viewer {

struct FaxPage {
    faximage::Raster picture;  // 1 = black; full line width, one row per line shown
    std::uint16_t flags = 0;   // the page's APF flags
    int code = 0;              // decode error; the picture then holds what decoded before it
    int badLines = 0;          // damaged lines dropped by the decoder
};

// Rows as decoded: the full line width of the page (half of it with
// asHalfWidth on a standard page), never trimmed to the content. An error
// keeps the lines decoded before it.
FaxPage DecodeFaxPage(const std::string& path, int page, faximage::AutoScaleMode mode,
                      unsigned whitespaceFrom = 0, unsigned whitespaceTo = 0);

class FaxPages {
  public:
    static constexpr int kCachedPages = 4;

    // 0, ecFileNotFound for a missing file, a directory or anything but a
    // regular file, ecFaxBadFormat without the APF signature, or the
    // header's error. A failure leaves nothing open.
    int Open(const std::string& path);
    void Close();
    bool IsOpen() const { return !path_.empty(); }
    const std::string& FileName() const { return path_; }
    int PageCount() const { return pageCount_; }

    // The page (1-based), decoded now when not cached; nullptr for a page
    // outside the file.
    const FaxPage* Page(int page);
    bool IsCached(int page) const;

    // Quarter turns clockwise; cached pages are turned at once.
    int Rotation() const { return rotation_; }
    void SetRotation(int quarterTurns);
    // Changing these drops the cache: the pages decode differently.
    void SetAutoScaleMode(faximage::AutoScaleMode mode);
    // ecBadArgument for from < to, or from 0 with to not 0.
    int SetWhitespace(unsigned from, unsigned to);
    // Keep every page once decoded; off trims the cache back to its size.
    void SetKeepAll(bool keepAll);

  private:
    struct Entry {
        int page;
        FaxPage data;
    };
    void Trim();

    std::string path_;
    int pageCount_ = 0;
    int rotation_ = 0;
    faximage::AutoScaleMode mode_ = faximage::AutoScaleMode::asDoubleHeight;
    unsigned whitespaceFrom_ = 0, whitespaceTo_ = 0;
    bool keepAll_ = false;
    std::list<Entry> cache_;  // most recently used first
};

}  // namespace corvane::viewer
