#include "yield_hook.h"

#include <utility>

namespace corvane::faximage {
namespace {

YieldHook& CurrentHook() {
    static YieldHook hook;
    return hook;
}

}  // namespace

YieldHook SetYieldHook(YieldHook hook) {
    return std::exchange(CurrentHook(), std::move(hook));
}

bool ProcessOnePendingMessage() {
    const YieldHook& hook = CurrentHook();
    return hook ? hook() : false;
}

}  // namespace corvane::faximage
