#pragma once
// A text box whose typed characters pass a per-character filter: a refused key beeps
// (through Prompt) and is swallowed. Pasted text and text committed by an input method
// pass the same filter, so nothing reaches the field that a key could not have typed.

#include <QLineEdit>
#include <functional>

namespace tabulo {

class Prompt;

class FilteredLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    using KeyFilter = std::function<bool(char32_t)>;
    using KeyTransform = std::function<char32_t(char32_t)>;

    explicit FilteredLineEdit(Prompt& prompt, QWidget* parent = nullptr);

    // `transform` runs first (for example upper-casing), then `filter` decides.
    void SetKeyFilter(KeyFilter filter, KeyTransform transform = {});
    // Inserts `text` at the cursor as if typed; false (after a beep) when a character
    // is refused, in which case nothing is inserted.
    bool InsertTyped(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // The transformed text, or a null QString when a character is refused.
    QString Filtered(const QString& text) const;

    Prompt& prompt_;
    KeyFilter filter_;
    KeyTransform transform_;
};

}  // namespace tabulo
