#pragma once
// Small services the report forms share: the hourglass, centring a form on the
// screen, and sending a printout to the application's printer.

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

// Left = (screen width - form width) / 2, Top likewise, whole pixels.
void CenterOnScreen(QWidget* form);

// Sends every page of `doc` to the printer as one job. A failure (or no printer at
// all) shows "プリンターのエラーです。印刷できません！" with only an OK button.
bool SendToPrinter(AppContext& app, const PrintDocument& doc);

}  // namespace tabulo
