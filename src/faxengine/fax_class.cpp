#include "faxengine/fax_class.h"

namespace corvane::engine {

std::optional<FaxClass> AutomaticFaxClass(const FaxClasses& offered) {
    if (!offered.detected) {
        return std::nullopt;
    }
    if (offered.class20) {
        return FaxClass::fcClass2_0;
    }
    if (offered.class2) {
        return FaxClass::fcClass2;
    }
    if (offered.class1) {
        return FaxClass::fcClass1;
    }
    return std::nullopt;
}

unsigned FaxClassMask(const FaxClasses& offered) {
    auto bit = [](FaxClass c) { return 1u << static_cast<unsigned>(c); };
    return (offered.class1 ? bit(FaxClass::fcClass1) : 0u) |
           (offered.class2 ? bit(FaxClass::fcClass2) : 0u) |
           (offered.class20 ? bit(FaxClass::fcClass2_0) : 0u);
}

}  // namespace corvane::engine
