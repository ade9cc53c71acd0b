// SPDX-License-Identifier: GPL-3.0-or-later
// The print dialog over the main frame with a record open: its fixed place and size (and
// the snap back after a resize), the buttons, the preview (the page canvas itself), the
// graphs' cursor line hidden while it is open, printing to a PDF printer in landscape A4
// whatever was set, the result messages, and "Print failed" without an installed printer.
#include <QFileDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/ui/print/PrintFixture.h"
#include "ui/print/DlgPrint.h"

namespace vantrel {
namespace {

class DlgPrintTest : public test::PrintFixture {
protected:
    // A printer that writes a PDF file, set to portrait on Letter paper.
    std::unique_ptr<QPrinter> PdfPrinter(const std::string& path) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(path));
        printer->setPageSize(QPageSize(QPageSize::Letter));
        printer->setPageOrientation(QPageLayout::Portrait);
        // The page is drawn onto the printable area: without margins that is the whole sheet.
        printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        return printer;
    }

    // Runs the action answering the result box; its caption and text.
    static std::pair<QString, QString> Result(const std::function<void()>& action) {
        std::pair<QString, QString> shown;
        ModalWatcher<QMessageBox> watcher([&](QMessageBox* box) {
            shown = {box->windowTitle(), box->text()};
            box->button(QMessageBox::Ok)->click();
        });
        action();
        return shown;
    }
};

TEST_F(DlgPrintTest, FixedPlaceButtonsAndPreview) {
    const auto printer = PdfPrinter(TempPath("unused.pdf"));
    CDlgPrint dialog(*Graph(), Info(), *printer);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.size(), QSize(1270, 930));
    EXPECT_EQ(dialog.pos(), QPoint(0, 0));
    EXPECT_EQ(dialog.windowTitle(), "Print");
    EXPECT_EQ(dialog.Preview()->geometry(), QRect(0, 30, 1270, 900));
    EXPECT_EQ(dialog.SettingButton()->geometry(), QRect(2, 3, 120, 25));
    EXPECT_EQ(dialog.PrintButton()->geometry(), QRect(1147, 3, 120, 25));
    EXPECT_EQ(dialog.SettingButton()->text(), "Setting");
    EXPECT_EQ(dialog.PrintButton()->text(), "Print");
    EXPECT_TRUE(dialog.PrintButton()->isDefault());
    EXPECT_EQ(dialog.SavePdfButton()->text(), "Save as PDF");
    EXPECT_FALSE(dialog.SavePdfButton()->geometry().intersects(dialog.PrintButton()->geometry()));

    // Resizing snaps back to 1270 x 930 at the top-left corner.
    dialog.resize(800, 600);
    dialog.move(40, 40);
    dialog.resize(900, 700);
    EXPECT_EQ(dialog.size(), QSize(1270, 930));
    EXPECT_EQ(dialog.pos(), QPoint(0, 0));
    EXPECT_EQ(dialog.Preview()->geometry(), QRect(0, 30, 1270, 900));

    // The preview shows the page canvas one to one.
    const QImage preview = dialog.Preview()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage canvas =
        CPrintPage::RenderCanvas(dialog.Preview()->LastPage(), PrintFonts::FromApp());
    EXPECT_EQ(preview, canvas);
    EXPECT_EQ(dialog.Preview()->m_rcDevice, QRect(0, 0, 1270, 900));
    EXPECT_EQ(canvas.pixel(24, 26), qRgb(200, 200, 200));
}

TEST_F(DlgPrintTest, CursorLineHiddenWhileTheDialogLives) {
    const auto printer = PdfPrinter(TempPath("unused.pdf"));
    const QImage withCursor = Graph()->m_wndSpeed->Render();
    {
        CDlgPrint dialog(*Graph(), Info(), *printer);
        EXPECT_FALSE(Graph()->m_view.m_bShowCursor);
        EXPECT_NE(Graph()->m_wndSpeed->Render(), withCursor);
    }
    EXPECT_TRUE(Graph()->m_view.m_bShowCursor);
    EXPECT_EQ(Graph()->m_wndSpeed->Render(), withCursor);
}

TEST_F(DlgPrintTest, PrintsOneLandscapeA4PageAndSaysSo) {
    const std::string pdf = TempPath("printed.pdf");
    const auto printer = PdfPrinter(pdf);
    Graph()->SelectScale(3);
    CDlgPrint dialog(*Graph(), Info(), *printer);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    printer->setPageOrientation(QPageLayout::Portrait);  // as a setup dialog could leave it
    const auto [caption, text] = Result([&] { dialog.PrintButton()->click(); });
    EXPECT_EQ(caption, "Print");
    EXPECT_EQ(text, "Print completed");
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(dialog.Preview()->m_szPrinter, QSize(printer->width(), printer->height()));
    EXPECT_GT(dialog.Preview()->m_szPrinter.width(), dialog.Preview()->m_szPrinter.height());
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const std::string info = Run("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    EXPECT_NE(info.find("842 x 595 pts (A4)"), std::string::npos) << info;
    const std::string pageText = Run("pdftotext -raw '" + pdf + "' -");
    EXPECT_NE(pageText.find("6 minutes chart"), std::string::npos) << pageText;
    EXPECT_NE(pageText.find(Info().m_strVehicleNo.toStdString()), std::string::npos) << pageText;

    // The printed page, rasterised back onto 1270 x 900, is the canvas: texts sized and placed
    // as on it (a font sized by the printer's resolution would cover the tables).
    const std::string raster = TempPath("printed");
    Run("pdftoppm -png -singlefile -scale-to-x 1270 -scale-to-y 900 '" + pdf + "' '" + raster +
        "'");
    const QImage printed =
        QImage(QString::fromStdString(raster + ".png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(printed.size(), QSize(1270, 900));
    const QImage canvas =
        CPrintPage::RenderCanvas(dialog.Preview()->LastPage(), PrintFonts::FromApp());
    int differing = 0;
    for (int y = 0; y < 900; ++y) {
        for (int x = 0; x < 1270; ++x) {
            differing += std::abs(qGray(printed.pixel(x, y)) - qGray(canvas.pixel(x, y))) > 128;
        }
    }
    EXPECT_LT(differing, 1270 * 900 / 50) << differing;
    EXPECT_EQ(printed.pixel(100, 40), qRgb(200, 200, 200));
    EXPECT_EQ(printed.pixel(841, 307), qRgb(200, 200, 200));
}

TEST_F(DlgPrintTest, SavesThePageAsPdf) {
    const auto printer = PdfPrinter(TempPath("unused.pdf"));
    CDlgPrint dialog(*Graph(), Info(), *printer);
    const std::string pdf = TempPath("saved.pdf");
    ASSERT_TRUE(dialog.SavePdf(QString::fromStdString(pdf)));
    const std::string text = Run("pdftotext -raw '" + pdf + "' -");
    EXPECT_NE(text.find("24 hours chart"), std::string::npos) << text;
    EXPECT_NE(text.find(Info().m_strDriverName.toStdString()), std::string::npos) << text;
    EXPECT_FALSE(dialog.SavePdf(QStringLiteral("/nonexistent-folder/saved.pdf")));
}

TEST_F(DlgPrintTest, SettingForcesLandscapeA4AfterThePageSetup) {
    const auto printer = PdfPrinter(TempPath("unused.pdf"));
    CDlgPrint dialog(*Graph(), Info(), *printer);
    printer->setPageSize(QPageSize(QPageSize::Letter));
    printer->setPageOrientation(QPageLayout::Portrait);  // what the operator chose
    ModalWatcher<QDialog> accept([](QDialog* setup) {
        if (qobject_cast<CDlgPrint*>(setup) == nullptr) {
            setup->accept();
        }
    });
    dialog.SettingButton()->click();
    EXPECT_GE(accept.Seen(), 1);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::A4);
}

TEST_F(DlgPrintTest, SaveAsPdfAsksForTheFileAndSaysTheResult) {
    const auto printer = PdfPrinter(TempPath("unused.pdf"));
    CDlgPrint dialog(*Graph(), Info(), *printer);
    const std::string chosen = TempPath("chosen");  // ".pdf" is added
    QString caption;
    ModalWatcher<QFileDialog> name([&](QFileDialog* files) {
        caption = files->windowTitle();
        files->selectFile(QString::fromStdString(chosen));
        static_cast<QDialog*>(files)->accept();  // as the Save button does
    });
    const auto [title, text] = Result([&] { dialog.SavePdfButton()->click(); });
    EXPECT_EQ(caption, "Save as PDF");
    EXPECT_EQ(text, "Print completed");
    ASSERT_TRUE(std::filesystem::exists(chosen + ".pdf"));
    const std::string info = Run("pdfinfo '" + chosen + ".pdf'");
    EXPECT_NE(info.find("842 x 595 pts (A4)"), std::string::npos) << info;
}

TEST_F(DlgPrintTest, WithoutAnInstalledPrinterPrintFails) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) {
        GTEST_SKIP() << "a printer is installed here";
    }
    QPrinter printer(QPrinter::HighResolution);  // native: the default printer, none here
    printer.setOutputFormat(QPrinter::NativeFormat);
    CDlgPrint dialog(*Graph(), Info(), printer);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(dialog.Preview()->isVisible());  // the preview stays
    const auto [caption, text] = Result([&] { dialog.PrintButton()->click(); });
    EXPECT_EQ(caption, "Print");
    EXPECT_EQ(text, "Print failed");
}

}  // namespace
}  // namespace vantrel
