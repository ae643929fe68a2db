#include "platform/sound_player.h"

#include <canberra.h>

#include <filesystem>

namespace corvane::platform {

namespace {

// One context for the program's life: a sound still playing needs it.
ca_context* Context() {
    static ca_context* context = [] {
        ca_context* created = nullptr;
        if (ca_context_create(&created) != CA_SUCCESS) {
            return static_cast<ca_context*>(nullptr);
        }
        ca_context_change_props(created, CA_PROP_APPLICATION_NAME, "Corvane", nullptr);
        return created;
    }();
    return context;
}

}  // namespace

bool PlaySoundFile(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    ca_context* context = Context();
    return context != nullptr &&
           ca_context_play(context, 0, CA_PROP_MEDIA_FILENAME, path.c_str(), nullptr) == CA_SUCCESS;
}

}  // namespace corvane::platform
