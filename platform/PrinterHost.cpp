#include "platform/PrinterHost.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QPageLayout>
#include <QPushButton>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QDateTime>
#include <QMarginsF>
#include <QPainter>
#include <QString>

#include <system_error>

#include "platform/PrintPlayer.h"

namespace tabulo {

PrinterHost::PrinterHost(std::filesystem::path programFolder) : programFolder_(std::move(programFolder)) {
    stamp_ = [] {
        return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm")).toStdString();
    };
}

QPrinter& PrinterHost::Made() const {
    // Made on first use: asking for the installed printers loads the printing system,
    // which the start-up and a run without a printout do not need.
    if (printer_) return *printer_;
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setPageSize(QPageSize(QPageSize::A4));
    printer_->setPageOrientation(QPageLayout::Portrait);
    printer_->setDocName(QStringLiteral("会計処理"));
    // The printable area the layouts were drawn for.
    printer_->setPageMargins(
        QMarginsF(kPrintoutMarginMm, kPrintoutMarginMm, kPrintoutMarginMm, kPrintoutMarginMm),
        QPageLayout::Millimeter);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(QString::fromStdString((DefaultPdfFolder() / "TABULO.pdf").string()));
        MakePdfFolder();
    }
    return *printer_;
}

PrinterHost::~PrinterHost() = default;

QPrinter& PrinterHost::Printer() { return Made(); }

void PrinterHost::MakePdfFolder() const {
    // The set-up dialog refuses a file in a folder that is not there.
    std::error_code ec;
    std::filesystem::create_directories(DefaultPdfFolder(), ec);
}

bool PrinterHost::PrinterSetup(QWidget* parent) {
    if (PrintsToFile()) {
        const std::filesystem::path proposed = Made().outputFileName().toStdString();
        if (proposed.parent_path() == DefaultPdfFolder()) MakePdfFolder();
    }
    QPrintDialog dialog(&Made(), parent);
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
    return Made().outputFormat() == QPrinter::PdfFormat;
}

std::filesystem::path PrinterHost::DefaultPdfFolder() const { return programFolder_ / "PDF"; }

std::filesystem::path PrinterHost::PdfPathFor(const std::string& name) const {
    // A file the user named in the set-up dialog gives the folder; the name is always
    // the printout's own, so that no printout overwrites another.
    std::filesystem::path folder = DefaultPdfFolder();
    const QString chosen = Made().outputFileName();
    if (!chosen.isEmpty()) {
        std::filesystem::path p = chosen.toStdString();
        if (p.has_parent_path() && p.parent_path() != programFolder_) folder = p.parent_path();
    }
    const std::string base = stamp_() + " " + name;
    std::filesystem::path path = folder / (base + ".pdf");
    for (int n = 2; std::filesystem::exists(path); ++n)
        path = folder / (base + " (" + std::to_string(n) + ").pdf");
    return path;
}

void PrinterHost::OnPdfWritten(std::function<void(const std::filesystem::path&)> notice) {
    pdfNotice_ = std::move(notice);
}

void PrinterHost::SetClock(std::function<std::string()> stamp) { stamp_ = std::move(stamp); }

bool PrinterHost::Print(const PrintDocument& doc) {
    if (doc.pages.empty()) return true;
    QPrinter& printer = Made();
    std::filesystem::path pdf;
    const QString chosenFile = printer.outputFileName();
    if (PrintsToFile()) {
        pdf = PdfPathFor(doc.name);
        std::error_code ec;
        std::filesystem::create_directories(pdf.parent_path(), ec);
        if (ec) return false;
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
    }
    printer.setDocName(QString::fromStdString(doc.name));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);

    bool ok = PlayDocument(printer, printer.resolution(), doc);
    if (!pdf.empty()) {
        printer.setOutputFileName(chosenFile);
        if (ok && !std::filesystem::exists(pdf)) ok = false;
        if (ok && pdfNotice_) pdfNotice_(pdf);
    }
    return ok;
}

}  // namespace tabulo
