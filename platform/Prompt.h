#pragma once
// What the program asks of the user: message boxes and beeps. The core talks to the
// user only through this interface; the forms layer implements it with real dialogs
// and the tests with a scripted fake.

#include <string>
#include <string_view>

namespace tabulo {

// Message-box styles (Windows style bits: buttons + 16 x icon).
namespace MsgStyle {
inline constexpr int Ok = 0;             // OK, no icon, no title
inline constexpr int OkCancel = 1;       // OK and Cancel
inline constexpr int YesNo = 4;          // Yes and No
inline constexpr int Exclamation = 48;   // OK with the warning icon
inline constexpr int YesNoWarning = 52;  // Yes/No with the warning icon
}  // namespace MsgStyle

// Answers, as the Windows message box returns them.
namespace Answer {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace Answer

class Prompt {
public:
    virtual ~Prompt() = default;
    // Shows a modal message box; returns one of the Answer codes.
    virtual int MsgBox(std::string_view text, int style, std::string_view title) = 0;
    virtual void Beep() = 0;
};

}  // namespace tabulo
