#pragma once
// The print preview of a statement page (１ページ印刷 .. ４ページ印刷): the whole A4
// page at 75 %, the form in navy and the data in black, as it will print; 印刷 sends
// it to the printer, with the choice to print the data alone onto pre-printed forms.

#include <QDialog>
#include <vector>

#include "platform/PrintDocument.h"
#include "taxreturn/FormLayout.h"

class QCheckBox;
class QPushButton;
class QScrollArea;

namespace tabulo {

struct AppContext;

// Draws one page of a document at a zoom, twips to screen pixels.
class PagePreviewWidget : public QWidget {
    Q_OBJECT
  public:
    PagePreviewWidget(const PrintPage& page, double zoom, QWidget* parent);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const PrintPage& page_;
    double zoom_;
};

class StatementPreview : public QDialog {
    Q_OBJECT
  public:
    // Reads the layout of page `page` (1..4) and renders `texts` into it. When the
    // layout cannot be used the user is told (naming the file) and Rendered() is false.
    StatementPreview(AppContext& app, int page, std::vector<SlotText> texts, QWidget* parent);

    bool Rendered() const { return rendered_; }
    // The page as previewed (form and data).
    const PrintDocument& Document() const { return withForm_; }
    QPushButton* printButton() const { return printOut_; }
    QPushButton* endButton() const { return endYesNo_; }
    QCheckBox* dataOnlyBox() const { return dataOnly_; }

    void PrintOut();
    void CloseForm() { accept(); }

    // The kept choice "data alone", from the user's settings.
    static bool DataOnlySetting();
    static void SetDataOnlySetting(bool on);

  private:
    // The document as the application's printer draws it (unchanged without one).
    PrintDocument ForPrinter(const PrintDocument& doc) const;

    AppContext& app_;
    bool rendered_ = false;
    PrintDocument withForm_;
    PrintDocument dataOnlyDoc_;
    QPushButton* printOut_ = nullptr;
    QPushButton* endYesNo_ = nullptr;
    QCheckBox* dataOnly_ = nullptr;
};

}  // namespace tabulo
