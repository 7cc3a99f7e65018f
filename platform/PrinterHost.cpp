#include "platform/PrinterHost.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QPageLayout>
#include <QPushButton>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>

namespace tabulo {

PrinterHost::PrinterHost(std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    printer_->setPageSize(QPageSize(QPageSize::A4));
    printer_->setPageOrientation(QPageLayout::Portrait);
    printer_->setDocName(QStringLiteral("会計処理"));
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(QString::fromStdString(DefaultPdfPath().string()));
    }
}

PrinterHost::~PrinterHost() = default;

QPrinter& PrinterHost::Printer() { return *printer_; }

bool PrinterHost::PrinterSetup(QWidget* parent) {
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setWindowTitle(QStringLiteral("プリンターの設定"));
    // Set-up only: no page range or copies to print now.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // This is the set-up dialog: its button confirms the choice rather than prints.
    if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) {
            ok->setText(QStringLiteral("OK"));
            ok->setIcon(QIcon());
        }
    }
    return dialog.exec() == QDialog::Accepted;
}

bool PrinterHost::PrintsToFile() const {
    return printer_->outputFormat() == QPrinter::PdfFormat;
}

std::filesystem::path PrinterHost::DefaultPdfPath() const {
    return programFolder_ / "TABULO.pdf";
}

}  // namespace tabulo
