// Fax pages to and from APF files, for remote machines that send a file or
// keep what they received.
#pragma once

#include <string>
#include <vector>

#include "simmodem/remote_fax.h"

namespace corvane::simmodem {

// Reads every page as one T.4 stream (counted-line pages joined). 0 or a
// negative code; a file that is not a sound APF file is refused, never read
// past its end.
int ReadApfPages(const std::string& path, std::vector<FaxPage>& pages);

// Writes the pages in place (a receiver's file stays valid page by page).
int WriteApfPages(const std::string& path, const std::vector<FaxPage>& pages,
                  const std::string& stationId);

}  // namespace corvane::simmodem
