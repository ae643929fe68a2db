// Progress of long table work (pack, index builds), in percent 0 to 100.
#pragma once

#include <functional>

namespace corvane::tables {

using ProgressHook = std::function<void(int percent)>;

}  // namespace corvane::tables
