// The on-screen message boxes, the font substitutions and the application's printer.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QTest>
#include <QTimer>

#include <functional>

#include "platform/Fonts.h"
#include "platform/PrinterHost.h"
#include "platform/QtPrompt.h"
#include "tests/support/TempFolder.h"

namespace tabulo {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Shows a box through QtPrompt, notes what it looks like and presses `press`.
int ShowAndPress(int style, const QString& press, SeenBox& seen, const char* text = "テスト") {
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        QAbstractButton* target = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text();
            if (b->text() == press) target = b;
        }
        if (target == nullptr) target = box->buttons().first();
        target->click();
    });
    QtPrompt prompt;
    return prompt.MsgBox(text, style, "確認");
}

TEST(QtPromptTest, StylesMapToButtonsIconsAndAnswers) {
    SeenBox plain;
    EXPECT_EQ(ShowAndPress(0, QStringLiteral("OK"), plain), Answer::Ok);
    EXPECT_EQ(plain.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
    EXPECT_EQ(plain.title, QString());  // style 0 has no title of its own
    EXPECT_EQ(plain.text, QStringLiteral("テスト"));

    SeenBox warning;
    EXPECT_EQ(ShowAndPress(48, QStringLiteral("OK"), warning), Answer::Ok);
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_EQ(warning.title, QStringLiteral("確認"));

    SeenBox question;
    EXPECT_EQ(ShowAndPress(52, QStringLiteral("いいえ"), question), Answer::No);
    EXPECT_EQ(question.buttons.size(), 2);
    EXPECT_TRUE(question.buttons.contains(QStringLiteral("はい")));
    EXPECT_TRUE(question.buttons.contains(QStringLiteral("いいえ")));
    EXPECT_EQ(question.icon, QMessageBox::Warning);
    SeenBox yes;
    EXPECT_EQ(ShowAndPress(52, QStringLiteral("はい"), yes), Answer::Yes);

    SeenBox okCancel;
    EXPECT_EQ(ShowAndPress(49, QStringLiteral("キャンセル"), okCancel), Answer::Cancel);
    EXPECT_TRUE(okCancel.buttons.contains(QStringLiteral("OK")));

    SeenBox twoLines;
    ShowAndPress(48, QStringLiteral("OK"), twoLines, "一行目\r\n二行目");
    EXPECT_EQ(twoLines.text, QStringLiteral("一行目\n二行目"));

    SeenBox critical;
    EXPECT_EQ(ShowAndPress(16 + 3, QStringLiteral("キャンセル"), critical), Answer::Cancel);
    EXPECT_EQ(critical.icon, QMessageBox::Critical);
    EXPECT_EQ(critical.buttons.size(), 3);
}

TEST(FontsTest, WindowsFacesBecomeTheIpaFonts) {
    RegisterFontSubstitutions();
    EXPECT_EQ(QFont::substitute(QStringLiteral("ＭＳ 明朝")).toLower(), QStringLiteral("ipamincho"));
    EXPECT_EQ(QFont::substitute(QStringLiteral("ＭＳ ゴシック")).toLower(), QStringLiteral("ipagothic"));
    // The face a form asking for the Windows name really gets.
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("ＭＳ 明朝"))).family(), QStringLiteral("IPAMincho"));
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("ＭＳ ゴシック"))).family(), QStringLiteral("IPAGothic"));
}

TEST(PrinterHostTest, OnePrinterForTheRunPrintingToPdfWithoutAnInstalledPrinter) {
    testing::TempFolder home;
    PrinterHost host(home.path());
    EXPECT_EQ(&host.Printer(), &host.Printer());
    EXPECT_EQ(host.Printer().pageLayout().pageSize().id(), QPageSize::A4);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        EXPECT_TRUE(host.PrintsToFile());
        // Each printout goes into a file of its own in the PDF folder.
        EXPECT_EQ(host.DefaultPdfFolder(), home.path() / "PDF");
        host.SetClock([] { return std::string("20261208-0912"); });
        EXPECT_EQ(host.PdfPathFor("出納簿 04月"), home.path() / "PDF" / "20261208-0912 出納簿 04月.pdf");
    } else {
        EXPECT_FALSE(host.PrintsToFile());
    }
}

// On a new program folder the set-up dialog proposes .../PDF/TABULO.pdf; OK used to
// answer that the file was not writable, since the folder came only with the first
// printout.
TEST(PrinterHostTest, TheSetUpDialogAcceptsItsPdfFileOnANewProgramFolder) {
    testing::TempFolder home;
    PrinterHost host(home.path());
    const std::filesystem::path proposed = home.path() / "PDF" / "TABULO.pdf";
    host.Printer().setOutputFormat(QPrinter::PdfFormat);
    host.Printer().setOutputFileName(QString::fromStdString(proposed.string()));
    std::filesystem::remove_all(home.path() / "PDF");

    bool sawDialog = false;
    QStringList warnings;
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            warnings << box->text();
            box->done(0);
        } else if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) {
            if (!sawDialog) {
                sawDialog = true;
                QTest::keyClick(dialog, Qt::Key_Return);  // OK
            } else {
                dialog->reject();  // the warning kept it open
            }
        }
    });
    poll->start();
    const bool accepted = host.PrinterSetup(nullptr);
    poll->stop();
    delete poll;
    EXPECT_TRUE(sawDialog);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QStringLiteral(" / ")).toStdString();
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(std::filesystem::is_directory(home.path() / "PDF"));
    EXPECT_TRUE(host.PrintsToFile());
}

}  // namespace
}  // namespace tabulo
