// SPDX-License-Identifier: GPL-3.0-or-later
// CPathDialog: the folder picker. A folder tree, a read-only line above it that shows the
// selected path, and OK, which is enabled only while the selection is acceptable. For an SD
// card (removable-only) the acceptable paths are the mount points of removable drives, as the
// drive layer reports them; the tree opens at the first such mount point, else at the folder
// where the desktop mounts media.
// Without that rule any existing folder is acceptable (the settings' backup folder).
#pragma once

#include <QDialog>
#include <QString>

#include "core/util/DriveLayer.h"

class QDialogButtonBox;
class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;

class CPathDialog : public QDialog {
    Q_OBJECT

public:
    // The layer answers the drive questions (tests pass a fixture layer); it must outlive the
    // dialog.
    explicit CPathDialog(const QString& title, QWidget* parent = nullptr, bool removableOnly = true,
                         const vantrel::DriveLayer& layer = vantrel::DriveLayer::System());

    // Runs the picker: 1 when the user confirmed an acceptable path with OK, otherwise -1.
    int DoModal();
    // The chosen path (empty until one is confirmed); a folder path without trailing '/'.
    QString GetPathName() const { return m_strPath; }

    // Whether OK may take this path.
    bool IsAcceptable(const QString& path) const;
    // Selects the folder in the tree as a click would (tests, and the starting folder).
    void SelectPath(const QString& path);

    // The folders the tree opens at, in order of preference: the desktop's media folders of
    // the user, then /mnt.
    static QStringList StartFolders();

    QLineEdit* PathLine() const { return m_pPathLine; }
    QPushButton* OkButton() const;
    QTreeView* Tree() const { return m_pTree; }

private slots:
    void OnSelectionChanged();
    void OnOK();

private:
    bool m_bRemovableOnly;
    const vantrel::DriveLayer& m_layer;
    QString m_strPath;
    QFileSystemModel* m_pModel = nullptr;
    QTreeView* m_pTree = nullptr;
    QLineEdit* m_pPathLine = nullptr;  // 14148
    QDialogButtonBox* m_pButtons = nullptr;
};
