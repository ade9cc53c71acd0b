// SPDX-License-Identifier: GPL-3.0-or-later
// The print dialog and its preview.
#include "ui/print/DlgPrint.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>

#include "ui/app/LangText.h"
#include "ui/views/WndGraph.h"

QPrinter& AppPrinter() {
    // Made once and kept for the run, so the settings chosen stay for later jobs. It is never
    // freed: a printer object must not outlive the application object's platform plugin.
    static QPrinter* const printer = [] {
        auto* made = new QPrinter(QPrinter::HighResolution);
        ForceLandscapeA4(*made);
        return made;
    }();
    return *printer;
}

void ForceLandscapeA4(QPrinter& printer) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
}

CWndPrint::CWndPrint(const CWndGraph& graph, const CWndDrivingInfo& info, QWidget* parent)
    : QWidget(parent), m_graph(graph), m_info(info), m_fonts(PrintFonts::FromApp()) {
    setObjectName(QStringLiteral("WndPrint"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const PrintPageContent& CWndPrint::Capture() {
    m_page = CPrintPage::Capture(m_graph, m_info);
    m_page.scale = m_nScale;
    return m_page;
}

void CWndPrint::DrawPage(QPainter& painter, const QRect& device) {
    m_rcDevice = device;
    Capture();
    CPrintPage::Paint(painter, device, m_page, m_fonts);
}

void CWndPrint::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    DrawPage(painter, rect());
}

CDlgPrint::CDlgPrint(CWndGraph& graph, const CWndDrivingInfo& info, QPrinter& printer,
                     QWidget* parent)
    : QDialog(parent),
      m_printer(printer),
      m_pCursorHidden(std::make_unique<CPrintCursorHidden>(graph)) {
    setObjectName(QStringLiteral("DlgPrint"));
    ForceLandscapeA4(m_printer);
    m_pPreview = new CWndPrint(graph, info, this);
    m_pPreview->m_nScale = static_cast<std::uint8_t>(graph.Scale());

    const QString print = LangText("GUI", "PRINT", "Print");
    setWindowTitle(print);
    m_pSetting = new QPushButton(LangText("GUI", "SETTING", "Setting"), this);
    m_pPrint = new QPushButton(print, this);
    m_pSavePdf = new QPushButton(LangText("GUI", "SAVEPDF", "Save as PDF"), this);
    m_pPrint->setDefault(true);
    connect(m_pSetting, &QPushButton::clicked, this, &CDlgPrint::OnSetting);
    connect(m_pPrint, &QPushButton::clicked, this, &CDlgPrint::OnPrint);
    connect(m_pSavePdf, &QPushButton::clicked, this, &CDlgPrint::OnSavePdf);
    Snap();
}

// The graphs get their cursor line back when the dialog goes.
CDlgPrint::~CDlgPrint() = default;

void CDlgPrint::OnSetting() {
    QPageSetupDialog setup(&m_printer, this);
    if (setup.exec() == QDialog::Accepted) {
        ForceLandscapeA4(m_printer);
    }
}

void CDlgPrint::OnPrint() {
    ShowResult(PrintPage() ? LangText("MESSAGE", "PRINTOK", "Print completed")
                           : LangText("MESSAGE", "PRINTFAIL", "Print failed"));
}

void CDlgPrint::OnSavePdf() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = QFileDialog::getSaveFileName(this, LangText("GUI", "SAVEPDF", "Save as PDF"),
                                                folder, QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) {
        return;  // cancelled
    }
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".pdf");
    }
    ShowResult(SavePdf(path) ? LangText("MESSAGE", "PRINTOK", "Print completed")
                             : LangText("MESSAGE", "PRINTFAIL", "Print failed"));
}

bool CDlgPrint::PrintPage() {
    // A native job needs an installed printer; without one there is nothing to print to.
    if (m_printer.outputFormat() == QPrinter::NativeFormat &&
        (m_printer.printerName().isEmpty() || QPrinterInfo::availablePrinters().isEmpty())) {
        return false;
    }
    ForceLandscapeA4(m_printer);
    m_printer.setDocName(QString());
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QPainter painter;
    bool ok = painter.begin(&m_printer);  // the document and its first page
    if (ok) {
        m_pPreview->m_szPrinter = QSize(m_printer.width(), m_printer.height());
        m_pPreview->DrawPage(painter, QRect(QPoint(0, 0), m_pPreview->m_szPrinter));
        ok = painter.end();
        if (!ok) {
            m_printer.abort();
        }
    }
    QGuiApplication::restoreOverrideCursor();
    return ok;
}

bool CDlgPrint::SavePdf(const QString& path) {
    const PrintPageContent& page = m_pPreview->Capture();  // anew, as for the printer
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = CPrintPage::WritePdf(path, page, PrintFonts::FromApp());
    QGuiApplication::restoreOverrideCursor();
    return ok;
}

void CDlgPrint::ShowResult(const QString& message) {
    QMessageBox box(QMessageBox::Information, LangText("GUI", "PRINT", "Print"), message,
                    QMessageBox::Ok, this);
    box.exec();
}

void CDlgPrint::Snap() {
    if (m_bSnapping) {
        return;
    }
    m_bSnapping = true;
    if (size() != QSize(kWidth, kHeight)) {
        resize(kWidth, kHeight);
    }
    if (pos() != QPoint(0, 0)) {
        move(0, 0);
    }
    m_bSnapping = false;
    const int w = width();
    m_pPreview->setGeometry(0, kPreviewTop, w, height() - kPreviewTop);
    m_pSetting->setGeometry(2, 3, 120, 25);
    m_pPrint->setGeometry(w - 123, 3, 120, 25);
    m_pSavePdf->setGeometry(w - 246, 3, 120, 25);
}

void CDlgPrint::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Snap();
}
