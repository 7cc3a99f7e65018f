#pragma once
// The one printer of the whole run: every printout draws onto it, and the printer
// set-up dialog changes it, so a choice holds between printouts. Without an installed
// printer it prints into a PDF file in the program folder.

#include <filesystem>
#include <memory>

class QPrinter;
class QWidget;

namespace tabulo {

class PrinterHost {
public:
    explicit PrinterHost(std::filesystem::path programFolder);
    ~PrinterHost();
    PrinterHost(const PrinterHost&) = delete;
    PrinterHost& operator=(const PrinterHost&) = delete;

    QPrinter& Printer();
    // The printer set-up dialog; false when the user cancelled it.
    bool PrinterSetup(QWidget* parent);
    // True while the output goes into a PDF file rather than to a printer.
    bool PrintsToFile() const;
    // Where PDF output goes when no printer is installed.
    std::filesystem::path DefaultPdfPath() const;

private:
    std::filesystem::path programFolder_;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace tabulo
