#pragma once
// What the settings forms do with their five boxes (data drive, data count, print X
// and Y offsets, the fifth value): the defaults a box gets when left empty, the cap on
// the data count, and saving the boxes into the settings file.

#include <array>
#include <string>
#include <string_view>

#include "platform/Drives.h"

namespace tabulo {

struct SharedState;
class Prompt;

inline constexpr int kSettingsBoxes = 5;
using SettingsBoxes = std::array<std::string, kSettingsBoxes>;

// The highest data count the settings accept.
inline constexpr int kMaxDataCount = 10000;

// The text box `box` (0..4) is to hold once the user leaves it holding `text`:
// an empty drive becomes "A", an empty count "2000", an empty offset "0"; a count
// above 10,000 is reported and becomes 10000.
std::string SettingsBoxOnLeave(int box, std::string_view text, Prompt& prompt);

// Lines 1..5 of the settings as the boxes show them.
SettingsBoxes SettingsBoxesFrom(const SharedState& s);

// Lines 1..5 from the boxes (trailing blanks removed, a drive letter upper-cased),
// then the settings file written. On a write failure the lines are put back, the
// error is shown and false returned.
bool StoreSettingsBoxes(SharedState& s, const SettingsBoxes& boxes, Prompt& prompt);

// The full save of the settings form: the boxes stored, the loaded year cleared (the
// data must be read again), the new drive probed and DATE.DAT read again from it.
bool SaveSettingsAndReset(SharedState& s, const SettingsBoxes& boxes, Prompt& prompt,
                          const EnvLookup& env);

}  // namespace tabulo
