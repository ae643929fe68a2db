// File-name helpers shared by the converter and the unpacker.
#pragma once

#include <string>

namespace corvane::faximage {

// A name has an extension when its last "." has no "/" after it.
inline bool HasExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot != std::string::npos && name.find('/', dot) == std::string::npos;
}

inline std::string WithoutExtension(const std::string& name) {
    return HasExtension(name) ? name.substr(0, name.rfind('.')) : name;
}

}  // namespace corvane::faximage
