#pragma once
// The start-up check: the settings file is read (written with its defaults on a first
// start), the category words are filled in, what saves and copies killed in an earlier
// run left in the program folder goes, and the data folder on the data drive is
// probed and created, asking the user to put the disk in until it is there.

#include "platform/Drives.h"

namespace tabulo {

struct SharedState;
class Prompt;

enum class StartupResult {
    Ready,       // the data folder is there (or a bad drive setting was reported)
    Abandoned,   // the user gave up waiting for the drive
    Failed,      // the settings or the folder could not be had: "データが有りません！！" shown
};

StartupResult CheckStartup(SharedState& s, Prompt& prompt, const EnvLookup& env);

}  // namespace tabulo
