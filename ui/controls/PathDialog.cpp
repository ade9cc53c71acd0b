// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/controls/PathDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/app/LangText.h"

namespace {

QString WithoutTrailingSeparator(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    return path;
}

}  // namespace

CPathDialog::CPathDialog(const QString& title, QWidget* parent, bool removableOnly,
                         const vantrel::DriveLayer& layer)
    : QDialog(parent), m_bRemovableOnly(removableOnly), m_layer(layer) {
    setWindowTitle(title);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    resize(420, 460);

    m_pPathLine = new QLineEdit(this);
    m_pPathLine->setReadOnly(true);

    m_pModel = new QFileSystemModel(this);
    m_pModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    // Folder names cannot be changed from the picker.
    m_pModel->setReadOnly(true);
    m_pModel->setRootPath(QStringLiteral("/"));

    m_pTree = new QTreeView(this);
    m_pTree->setModel(m_pModel);
    m_pTree->setHeaderHidden(true);
    for (int column = 1; column < m_pModel->columnCount(); ++column) {
        m_pTree->hideColumn(column);
    }
    m_pTree->setRootIndex(m_pModel->index(QStringLiteral("/")));
    m_pTree->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pButtons->button(QDialogButtonBox::Ok)->setText(LangText("GUI", "OK", "OK"));
    m_pButtons->button(QDialogButtonBox::Cancel)->setText(LangText("GUI", "CANCEL", "Cancel"));
    OkButton()->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pPathLine);
    layout->addWidget(m_pTree, 1);
    layout->addWidget(m_pButtons);

    connect(m_pTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CPathDialog::OnSelectionChanged);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &CPathDialog::OnOK);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // An inserted card first: the mount point of the first removable drive the layer knows.
    QStringList starts;
    if (m_bRemovableOnly) {
        for (const vantrel::MountEntry& mount : m_layer.ReadMounts()) {
            const QString point = QString::fromStdString(mount.mountPoint);
            if (mount.mountPoint != "/" && IsAcceptable(point)) {
                starts << point;
                break;
            }
        }
    }
    starts << StartFolders();
    for (const QString& folder : starts) {
        if (QFileInfo(folder).isDir()) {
            SelectPath(folder);
            m_pTree->expand(m_pModel->index(folder));
            break;
        }
    }
}

QStringList CPathDialog::StartFolders() {
    const QString user = qEnvironmentVariable("USER");
    QStringList folders;
    if (!user.isEmpty()) {
        folders << QStringLiteral("/media/") + user << QStringLiteral("/run/media/") + user;
    }
    folders << QStringLiteral("/media") << QStringLiteral("/mnt");
    return folders;
}

QPushButton* CPathDialog::OkButton() const {
    return m_pButtons->button(QDialogButtonBox::Ok);
}

bool CPathDialog::IsAcceptable(const QString& path) const {
    if (path.isEmpty() || !QFileInfo(path).isDir()) {
        return false;
    }
    if (!m_bRemovableOnly) {
        return true;
    }
    // Only a card's root: a folder below it lies on the same drive but is not its mount point.
    const std::string folder = WithoutTrailingSeparator(path).toStdString();
    const vantrel::DriveInfo drive = m_layer.GetDrive(folder);
    return drive.type == vantrel::DriveType::Removable &&
           WithoutTrailingSeparator(QString::fromStdString(drive.mount.mountPoint)).toStdString() ==
               folder;
}

void CPathDialog::SelectPath(const QString& path) {
    const QModelIndex index = m_pModel->index(path);
    if (!index.isValid()) {
        return;
    }
    m_pTree->setCurrentIndex(index);
    m_pTree->scrollTo(index);
}

void CPathDialog::OnSelectionChanged() {
    const QString path = m_pModel->filePath(m_pTree->currentIndex());
    const bool acceptable = IsAcceptable(path);
    m_pPathLine->setText(acceptable ? WithoutTrailingSeparator(path) : QString());
    OkButton()->setEnabled(acceptable);
}

void CPathDialog::OnOK() {
    const QString path = m_pPathLine->text();
    if (!IsAcceptable(path)) {
        return;  // the card may have gone since it was selected
    }
    m_strPath = path;
    accept();
}

int CPathDialog::DoModal() {
    m_strPath.clear();
    return exec() == QDialog::Accepted ? 1 : -1;
}
