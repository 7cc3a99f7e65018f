#pragma once
// What every form is handed: the shared state, the user-interface services and the
// main window's toolbar. Forms own only their controls; everything else comes from here.

#include <chrono>
#include <functional>

namespace tabulo {

struct SharedState;
class Prompt;
class PrinterHost;
class HelpHost;

// The nine toolbar buttons Img(0)..Img(8) of the main window, as forms see them.
class Toolbar {
public:
    virtual ~Toolbar() = default;
    virtual void SetButtonEnabled(int index, bool enabled) = 0;
    virtual bool IsButtonEnabled(int index) const = 0;
};

namespace ToolButton {
inline constexpr int Read = 0;
inline constexpr int Input = 1;
inline constexpr int ItemLedger = 2;
inline constexpr int Master = 3;
inline constexpr int Deposits = 4;
inline constexpr int Settings = 5;
inline constexpr int PrinterSetup = 6;
inline constexpr int End = 7;
inline constexpr int Summary = 8;
}  // namespace ToolButton

struct AppContext {
    SharedState& state;
    Prompt& prompt;
    Toolbar& toolbar;
    PrinterHost* printer = nullptr;  // absent in tests that print nothing
    HelpHost* help = nullptr;
    // Today's date; tests pin it.
    std::function<std::chrono::year_month_day()> today = [] {
        return std::chrono::year_month_day{
            std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
    };
};

}  // namespace tabulo
