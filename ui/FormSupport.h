#pragma once
// Small services the forms share: the hourglass, placing a form over the main
// window, and sending a printout to the application's printer.

class QWidget;

namespace tabulo {

struct AppContext;
struct PrintDocument;

// The hourglass for the life of the object; always restored.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Places a form before it opens: no larger than the free area of its screen (a
// form larger than that scrolls or shrinks inside), centred over the main window
// (the top window of its parents, else the application's active window, else the
// screen) and kept on the screen.
void PlaceForm(QWidget* form);

// The smallest screen the program is laid out for: every window fits it.
inline constexpr int kSmallScreenWidth = 1366;
inline constexpr int kSmallScreenHeight = 768;

// Sends every page of `doc` to the printer as one job. A failure (or no printer at
// all) shows "プリンターのエラーです。印刷できません！" with only an OK button.
bool SendToPrinter(AppContext& app, const PrintDocument& doc);

}  // namespace tabulo
