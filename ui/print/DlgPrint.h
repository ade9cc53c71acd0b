// SPDX-License-Identifier: GPL-3.0-or-later
// CDlgPrint: the print dialog, 1270 x 930 at the top-left of the screen: Setting (1008, the
// page setup on the application's printer settings, then forced back to landscape A4),
// Print (1009, one page to the printer, then "Print completed" or "Print failed") and
// "Save as PDF" (the same page into a PDF file), over the preview CWndPrint. The preview
// and every print capture the graphs anew from their own painting, with the cursor line
// hidden for as long as the dialog lives.
#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "ui/print/PrintPage.h"

class CWndDrivingInfo;
class CWndGraph;
class QPrinter;
class QPushButton;

// The printer settings of the run: made on first use with the default printer, landscape A4.
QPrinter& AppPrinter();
// Forces landscape orientation and A4 paper on printer settings.
void ForceLandscapeA4(QPrinter& printer);

class CWndPrint : public QWidget {
    Q_OBJECT

public:
    CWndPrint(const CWndGraph& graph, const CWndDrivingInfo& info, QWidget* parent = nullptr);

    // Captures the windows and draws the page onto the painter's device rectangle.
    void DrawPage(QPainter& painter, const QRect& device);
    // The page of the windows as they are now (also kept as the last page).
    const PrintPageContent& Capture();
    const PrintPageContent& LastPage() const { return m_page; }

    std::uint8_t m_nScale = 0;
    QRect m_rcDevice;
    QSize m_szPrinter;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CWndGraph& m_graph;
    const CWndDrivingInfo& m_info;
    PrintFonts m_fonts;
    PrintPageContent m_page;  // the images of the last drawing pass
};

class CDlgPrint : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSettingId = 1008;
    static constexpr int kPrintId = 1009;
    static constexpr int kWidth = 1270;
    static constexpr int kHeight = 930;
    static constexpr int kPreviewTop = 30;

    CDlgPrint(CWndGraph& graph, const CWndDrivingInfo& info, QPrinter& printer,
              QWidget* parent = nullptr);
    ~CDlgPrint() override;

    // Command 1008: the page setup dialog; on OK the settings become landscape A4 again.
    void OnSetting();
    // Command 1009: the page to the printer, then the result message.
    void OnPrint();
    // "Save as PDF": a file name asked, the page written, the result message.
    void OnSavePdf();

    // One page to the printer; false when no job could be made or a page call failed.
    bool PrintPage();
    // The page into a PDF file; false when it cannot be written.
    bool SavePdf(const QString& path);

    CWndPrint* Preview() const { return m_pPreview; }
    QPushButton* SettingButton() const { return m_pSetting; }
    QPushButton* PrintButton() const { return m_pPrint; }
    QPushButton* SavePdfButton() const { return m_pSavePdf; }
    QPrinter& Printer() const { return m_printer; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowResult(const QString& message);
    void Snap();

    QPrinter& m_printer;
    std::unique_ptr<CPrintCursorHidden> m_pCursorHidden;
    CWndPrint* m_pPreview = nullptr;
    QPushButton* m_pSetting = nullptr;
    QPushButton* m_pPrint = nullptr;
    QPushButton* m_pSavePdf = nullptr;
    bool m_bSnapping = false;
};
