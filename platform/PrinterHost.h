#pragma once
// The one printer of the whole run: every printout draws onto it, and the printer
// set-up dialog changes it, so a choice holds between printouts. It is made when first
// used. Without an installed printer it prints into a PDF file in the program folder,
// whose PDF folder is made with it so that the set-up dialog accepts the file it
// proposes there.

#include <filesystem>
#include <functional>
#include <memory>

#include "platform/PrintDocument.h"

class QPrinter;
class QWidget;

namespace tabulo {

class PrinterHost : public DocumentPrinter {
public:
    explicit PrinterHost(std::filesystem::path programFolder);
    ~PrinterHost() override;
    PrinterHost(const PrinterHost&) = delete;
    PrinterHost& operator=(const PrinterHost&) = delete;

    QPrinter& Printer();
    // The printer set-up dialog; false when the user cancelled it.
    bool PrinterSetup(QWidget* parent);
    // True while the output goes into a PDF file rather than to a printer.
    bool PrintsToFile() const;
    // The folder PDF printouts go into when no printer is installed.
    std::filesystem::path DefaultPdfFolder() const;
    // The file a printout named `name` goes into: "20261208-0912 出納簿 04月.pdf" in
    // the PDF folder, with " (2)", " (3)" ... when that name is taken.
    std::filesystem::path PdfPathFor(const std::string& name) const;

    // Every page of `doc` as one job; into a PDF file of its own when printing to a
    // file. False when the printer could not be opened or failed.
    bool Print(const PrintDocument& doc) override;
    // Called with the PDF file after each printout into a file.
    void OnPdfWritten(std::function<void(const std::filesystem::path&)> notice);
    // Pins the time used in PDF file names (tests).
    void SetClock(std::function<std::string()> stamp);

private:
    // Makes the program's PDF folder, where it is missing.
    void MakePdfFolder() const;
    // The printer, made and set up on first use.
    QPrinter& Made() const;

    std::filesystem::path programFolder_;
    mutable std::unique_ptr<QPrinter> printer_;
    std::function<void(const std::filesystem::path&)> pdfNotice_;
    std::function<std::string()> stamp_;
};

}  // namespace tabulo
