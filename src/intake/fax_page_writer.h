// Fax pages into one APF file, written under a temporary name: the file
// appears complete at Finish or not at all.
#pragma once

#include <string>

#include "faximage/apf_writer.h"
#include "faximage/raster.h"

namespace corvane::intake {

class FaxPageWriter {
  public:
    // Each returns 0 or a negative fax code.
    int Create(const std::string& path);
    // A raster 1728 or 2048 pixels wide, taken pixel for pixel.
    int AddPage(const faximage::Raster& page, bool fine);
    int Finish();
    void Abandon() { writer_.Abandon(); }
    int PageCount() const { return writer_.PageCount(); }

  private:
    faximage::ApfWriter writer_;
};

}  // namespace corvane::intake
