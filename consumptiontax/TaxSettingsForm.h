#pragma once
// 消費税の設定: the year's consumption-tax settings (taxable or exempt, the registration
// number, the method, the business class, whether the books include the tax, the
// interim payments, an amended return) and the tax category and business class of each
// item, kept in SHOHIZEI<nn>.DAT when the user saves with 登録(F10). An item without a
// category of its own takes its account's, shown beside it.
//
// Keys: Tab through the fields; in the item grid Enter, Space or F2 opens the list of
// categories, Delete puts the account's back, a digit 0..6 sets the item's class (0:
// the year's class).

#include <QDialog>

#include "consumptiontax/TaxSettings.h"
#include "ui/GridForm.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace tabulo {

class TaxSettingsForm : public GridForm {
    Q_OBJECT
  public:
    enum Column { ColNo, ColName, ColDefault, ColCategory, ColClass, ColumnCount };

    explicit TaxSettingsForm(AppContext& app, QWidget* parent = nullptr);
    ~TaxSettingsForm() override;

    bool Loaded() const { return loaded_; }
    // The settings as the screen holds them so far (the amounts as last read back).
    const TaxSettings& Edited() const { return edited_; }

    QCheckBox* taxableBox() const { return taxable_; }
    QLineEdit* registrationEdit() const { return registration_; }
    QComboBox* methodBox() const { return method_; }
    QComboBox* classBox() const { return class_; }
    QCheckBox* electionBox() const { return election_; }
    QCheckBox* byRegistrationBox() const { return byRegistration_; }
    QCheckBox* includedBox() const { return included_; }
    QLineEdit* interimEdit() const { return interim_; }
    QLineEdit* interimLocalEdit() const { return interimLocal_; }
    QCheckBox* amendedBox() const { return amended_; }
    QLineEdit* priorEdit() const { return prior_; }
    QLineEdit* priorLocalEdit() const { return priorLocal_; }
    QTableWidget* grid() const { return grid_; }

    void ChooseCategory();
    void Register();
    void CancelEdit();

  protected:
    void Cancel() override { CancelEdit(); }
    bool FunctionKey(int key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowItem(int itemNo);
    void ShowFields();
    // The fields a year without tax does not ask for are enabled with 課税事業者.
    void FollowTaxable();
    // Reads the fields into edited_; false (after saying why, with the focus on the
    // field) when one cannot be kept.
    bool ReadFields();

    TaxSettings saved_;
    TaxSettings edited_;
    ItemAccountArray accounts_{};
    bool loaded_ = false;
    QCheckBox* taxable_ = nullptr;
    QLineEdit* registration_ = nullptr;
    QComboBox* method_ = nullptr;
    QComboBox* class_ = nullptr;
    QCheckBox* election_ = nullptr;
    QCheckBox* byRegistration_ = nullptr;
    QCheckBox* included_ = nullptr;
    QLineEdit* interim_ = nullptr;
    QLineEdit* interimLocal_ = nullptr;
    QCheckBox* amended_ = nullptr;
    QLineEdit* prior_ = nullptr;
    QLineEdit* priorLocal_ = nullptr;
    QTableWidget* grid_ = nullptr;
};

// 税区分の選択: "（勘定科目どおり）" and each category, one a line. Enter or a double click
// chooses, Esc closes without a choice.
class TaxCategoryPicker : public QDialog {
    Q_OBJECT
  public:
    TaxCategoryPicker(TaxCategory current, const QString& accountWords, QWidget* parent = nullptr);
    QListWidget* list() const { return list_; }
    // The category chosen (FromAccount for the account's), or none.
    std::optional<TaxCategory> Chosen() const { return chosen_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Choose();
    QListWidget* list_ = nullptr;
    std::optional<TaxCategory> chosen_;
};

}  // namespace tabulo
