#pragma once
// Which language the terminal speaks: Japanese under a Japanese locale, English
// otherwise.

#include "platform/Drives.h"

namespace tabulo {

// LC_ALL, else LC_MESSAGES, else LANG, as the C library reads them: "ja_JP.UTF-8",
// "ja" and the like are Japanese.
bool PrefersJapanese(const EnvLookup& env);

}  // namespace tabulo
