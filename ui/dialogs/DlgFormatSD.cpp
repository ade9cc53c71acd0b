// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/DlgFormatSD.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "core/log/TraceLog.h"
#include "core/sdcard/ChildProcess.h"
#include "ui/app/LangText.h"
#include "ui/controls/DlgMessage.h"

namespace {

QString Caption() {
    return LangText("GUI", "INITSDCARD", "Initialize SD Card");
}

}  // namespace

CDlgFormatSD::CDlgFormatSD(const QString& mountPoint, const QString& driverText, QWidget* parent,
                           vantrel::DriveLayer::Roots roots, Formatter formatter)
    : QDialog(parent),
      m_strMountPoint(mountPoint),
      m_roots(std::move(roots)),
      m_formatter(formatter ? std::move(formatter) : Formatter(&vantrel::FormatSdCard)) {
    setWindowTitle(Caption());
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    const vantrel::DriveLayer layer(m_roots);
    const vantrel::DriveInfo drive = layer.GetDrive(mountPoint.toStdString());
    m_bRemovable = drive.type == vantrel::DriveType::Removable;
    if (!drive.blockDevice.empty()) {
        m_strDevice = QString::fromStdString("/dev/" + drive.blockDevice);
    }

    auto* driveBox = new QGroupBox(this);
    m_pLabelDrive = new QLabel(
        QStringLiteral("%1 : %2").arg(LangText("GUI", "DISKDRIVE", "Drive"), mountPoint), driveBox);
    m_pLabelFileSystem = new QLabel(LangText("GUI", "FILESYSTEM", "File System : FAT32"), driveBox);
    auto* driveLayout = new QVBoxLayout(driveBox);
    driveLayout->addWidget(m_pLabelDrive);
    driveLayout->addWidget(m_pLabelFileSystem);

    auto* driverBox = new QGroupBox(this);
    m_pLabelDriver = new QLabel(LangText("GUI", "DRIVERID", "Driver ID"), driverBox);
    m_pEditDriver = new QLineEdit(driverText, driverBox);
    auto* driverLayout = new QHBoxLayout(driverBox);
    driverLayout->addWidget(m_pLabelDriver);
    driverLayout->addWidget(m_pEditDriver, 1);

    m_pButtonStart = new QPushButton(LangText("GUI", "START", "Start"), this);
    m_pButtonCancel = new QPushButton(LangText("GUI", "CANCEL", "Cancel"), this);
    m_pButtonClose = new QPushButton(LangText("GUI", "CLOSE", "Close"), this);
    m_pButtonCancel->setEnabled(false);  // a format cannot be stopped half-way
    m_pButtonStart->setAutoDefault(false);
    m_pButtonClose->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pButtonStart);
    buttons->addWidget(m_pButtonCancel);
    buttons->addStretch(1);
    buttons->addWidget(m_pButtonClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(driveBox);
    layout->addWidget(driverBox);
    layout->addLayout(buttons);

    connect(m_pButtonStart, &QPushButton::clicked, this, &CDlgFormatSD::OnStart);
    connect(m_pButtonClose, &QPushButton::clicked, this, &CDlgFormatSD::reject);

    m_pWait = new CDlgMessage(true, this);
    m_pWait->setWindowModality(Qt::ApplicationModal);
}

CDlgFormatSD::~CDlgFormatSD() {
    // The worker reports only through queued calls, so waiting for it cannot deadlock; the
    // calls it leaves behind die with the dialog.
    if (m_pWorker != nullptr) {
        m_pWorker->wait();
        delete m_pWorker;
    }
}

int CDlgFormatSD::exec() {
    if (!m_bRemovable) {
        QMessageBox::warning(parentWidget(), Caption(),
                             LangText("MESSAGE", "NOTSDDRIVE", "Invalid SD card drive"));
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

void CDlgFormatSD::reject() {
    // Close is disabled while a format runs; Esc and the close box must not end it either.
    if (m_pWorker == nullptr) {
        QDialog::reject();
    }
}

void CDlgFormatSD::closeEvent(QCloseEvent* event) {
    if (m_pWorker != nullptr) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CDlgFormatSD::OnStart() {
    if (m_pWorker != nullptr) {
        return;
    }
    m_pButtonStart->setEnabled(false);
    m_pButtonClose->setEnabled(false);
    m_pButtonCancel->setEnabled(false);

    vantrel::SdFormatRequest request;
    request.target = m_strDevice.toStdString();
    request.driverText = m_pEditDriver->text().toUtf8().toStdString();
    request.roots = m_roots;
    const Formatter formatter = m_formatter;
    QPointer<CDlgFormatSD> self(this);
    m_bWaitWanted = true;
    m_pWorker = QThread::create([self, formatter, request] {
        // The tools the format needs stand in for the platform's format library.
        bool succeeded = false;
        QString reason;
        const bool toolsPresent = !vantrel::FindProgram("mkfs.fat").empty() &&
                                  !vantrel::FindProgram("mmd").empty() &&
                                  !vantrel::FindProgram("mcopy").empty();
        if (!toolsPresent) {
            reason = QStringLiteral("mkfs.fat, mmd or mcopy not found (dosfstools, mtools)");
        } else {
            QMetaObject::invokeMethod(self, "OnFormatWait", Qt::QueuedConnection);
            if (request.target.empty()) {
                reason = QStringLiteral("the drive has no block device");
            } else {
                const vantrel::SdFormatOutcome outcome = formatter(request);
                succeeded = outcome.status == vantrel::SdFormatOutcome::Status::Done;
                reason = QString::fromStdString(outcome.message);
            }
        }
        if (!succeeded) {
            vantrel::TraceLog(VANTREL_TRACE_HERE, "SD card initialisation failed: %s",
                              reason.toUtf8().constData());
        }
        QMetaObject::invokeMethod(self, "OnFormatResult", Qt::QueuedConnection,
                                  Q_ARG(bool, succeeded), Q_ARG(QString, reason));
    });
    m_pWorker->start();
}

void CDlgFormatSD::OnFormatWait() {
    if (m_bWaitWanted && !m_pWait->isVisible()) {
        m_pWait->open();
    }
}

void CDlgFormatSD::OnFormatResult(bool succeeded, const QString& /*reason*/) {
    // Whichever came first, the wait box is gone after this: shown, it is closed; not yet
    // shown, the flag keeps a late wait request from showing it.
    m_bWaitWanted = false;
    if (m_pWait->isVisible()) {
        m_pWait->done(QDialog::Accepted);
    }
    if (m_pWorker != nullptr) {
        m_pWorker->wait();
        delete m_pWorker;
        m_pWorker = nullptr;
    }
    if (succeeded) {
        accept();
        return;
    }
    m_pButtonStart->setEnabled(true);
    m_pButtonClose->setEnabled(true);
    m_pButtonCancel->setEnabled(false);
    QMessageBox::warning(this, Caption(), LangText("MESSAGE", "FORMATFAIL", "Format error"),
                         QMessageBox::Ok);
}

bool RunFormatSdDialog(QWidget* parent, const QString& mountPoint, const QString& driverText) {
    CDlgFormatSD dialog(mountPoint, driverText, parent);
    return dialog.exec() == QDialog::Accepted;
}
