// Fax classes and the automatic choice among those a modem offers.
#pragma once

#include <optional>

#include "faxengine/modem_control.h"

namespace corvane::engine {

enum class FaxClass { fcUnknown, fcDetect, fcClass1, fcClass2, fcClass2_0 };

// The richest class offered: 2.0, then 2, then 1; none when nothing is.
std::optional<FaxClass> AutomaticFaxClass(const FaxClasses& offered);

// The offered classes as the set bits 4 (class 1), 8 (class 2), 16 (class 2.0).
unsigned FaxClassMask(const FaxClasses& offered);

}  // namespace corvane::engine
