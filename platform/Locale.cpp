#include "platform/Locale.h"

namespace tabulo {

bool PrefersJapanese(const EnvLookup& env) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::optional<std::string> value = env(name);
        if (!value || value->empty()) continue;
        return value->rfind("ja", 0) == 0;
    }
    return false;
}

}  // namespace tabulo
