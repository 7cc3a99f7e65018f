#pragma once
// 明細の取り込み: a downloaded bank or card statement into the books. The user names
// the file, the layout (found by its header lines unless chosen) and what the
// statement is of (a deposit account or a card), reads it (F2) and sees one row per
// statement line with its state, ticks the rows to take (Space), gives a row its item
// or account (Enter or F4; a rule or the last choice gives one first), keeps a row's
// choice as a rule (F6), and takes the ticked rows into the books in one operation
// (F10). 元に戻す (Ctrl+Z) takes the last import of this screen back whole.

#include <QStringList>
#include <filesystem>
#include <vector>

#include "statements/Import.h"
#include "statements/Rules.h"
#include "ui/GridForm.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;

namespace tabulo {

class TextGridModel;

class StatementImportForm : public GridForm {
    Q_OBJECT
  public:
    enum Column { ColTake, ColState, ColDate, ColDescription, ColIn, ColOut, ColTarget, ColRemarks, ColumnCount };

    // `layoutFolders`: where the layouts are read from, the user's own first.
    StatementImportForm(AppContext& app, std::vector<std::filesystem::path> layoutFolders,
                        QWidget* parent = nullptr);
    ~StatementImportForm() override;

    QTableView* grid() const { return grid_; }
    TextGridModel* model() const { return model_; }
    QLineEdit* fileEdit() const { return file_; }
    QComboBox* layoutBox() const { return layout_; }
    QComboBox* targetBox() const { return target_; }
    QLineEdit* cardEdit() const { return card_; }
    QLabel* summary() const { return summary_; }
    const std::vector<statements::PreviewLine>& Preview() const { return preview_; }
    const statements::RuleBook& Rules() const { return rules_; }
    std::size_t UndoSteps() const { return undo_.size(); }

    void ReadStatementFile();
    void ToggleRow();
    void ChooseTarget();
    void KeepRule();
    void OpenRules();
    void Import();
    void UndoLastImport();
    void CloseForm();

  protected:
    void Cancel() override { CloseForm(); }
    bool FunctionKey(int key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    statements::ImportTarget Target() const;
    void Refresh();  // the preview again, keeping the user's ticks and choices
    void ShowRows();
    QStringList RowTexts(int row) const;
    int CurrentRow() const;
    void SetCurrent(int row, int column);
    void SaveRules();

    std::vector<std::filesystem::path> layoutFolders_;
    std::vector<statements::Profile> layouts_;
    statements::RuleBook rules_;
    statements::OpenedStatement opened_;
    statements::ImportTarget shownTarget_;
    std::vector<statements::PreviewLine> preview_;
    std::vector<statements::ImportUndoStep> undo_;

    QLineEdit* file_ = nullptr;
    QComboBox* layout_ = nullptr;
    QComboBox* target_ = nullptr;
    QLineEdit* card_ = nullptr;
    TextGridModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* importButton_ = nullptr;
};

// 取り込みの規則: the rules listed, one a row (種類, 摘要に含む, 項目・科目, 備考),
// edited in place; Delete removes a row, Insert adds one; 登録(F10) keeps them.
class ImportRulesForm : public GridForm {
    Q_OBJECT
  public:
    enum Column { ColKind, ColText, ColTarget, ColRemarks, ColumnCount };
    ImportRulesForm(AppContext& app, statements::RuleBook& book, const std::string& folder,
                    QWidget* parent = nullptr);
    ~ImportRulesForm() override;
    QTableWidget* grid() const { return grid_; }
    void Register();
    void CancelEdit();

  protected:
    void Cancel() override { CancelEdit(); }
    bool FunctionKey(int key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void AddRow(statements::StatementKind kind, const statements::ImportRule& rule);
    statements::RuleBook& book_;
    std::string folder_;
    QTableWidget* grid_ = nullptr;
};

}  // namespace tabulo
