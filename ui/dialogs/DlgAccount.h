// SPDX-License-Identifier: GPL-3.0-or-later
// CDlgAccount: the accounts of Account.ini for the administrator. Row 0 is the administrator
// (only its password can change, it cannot be ticked), then one row per account with its
// identifier, masked password and user name. Cells are edited in place with filtered editors
// (identifier and password: letters and digits, 12 at most; name: also blanks, 20 at most).
// Add appends a row, Delete removes the ticked rows, Apply checks every row and writes the
// file (private to the user: mode 0600); Cancel keeps the file as it was.
//
// The real passwords live in m_aPasswords, index = row, because the list only shows one
// U+25CF per character. The cell being edited is remembered and forgotten whenever rows go.
#pragma once

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class CVQEdit;
class QPushButton;
class QTableWidget;

class CDlgAccount : public QDialog {
    Q_OBJECT

public:
    enum Column { kColNo = 0, kColId = 1, kColPassword = 2, kColName = 3 };
    static constexpr int kIdMaxLength = 12;
    static constexpr int kPasswordMaxLength = 12;
    static constexpr int kNameMaxLength = 20;

    // accountIni is m_strAccountIni; empty when the per-user folder is unknown (then Apply
    // says that it could not save and writes nothing).
    explicit CDlgAccount(std::string accountIni, QWidget* parent = nullptr);

    // One U+25CF per character.
    static QString Masked(const QString& password);

    QTableWidget* List() const { return m_pList; }
    QPushButton* AddButton() const { return m_pAdd; }
    QPushButton* DeleteButton() const { return m_pDelete; }
    QPushButton* ApplyButton() const { return m_pApply; }
    QPushButton* CancelButton() const { return m_pCancel; }
    CVQEdit* Editor(int column) const;
    const std::vector<QString>& Passwords() const { return m_aPasswords; }
    int EditRow() const { return m_nEditRow; }
    int EditColumn() const { return m_nEditColumn; }

    // F2 or a double-click on the cell: opens its editor when the cell may be edited.
    bool OpenEditor(int row, int column);
    // Writes an open editor's text into its cell (and the password array) and hides it.
    void CommitEditor();

public slots:
    void OnAdd();
    void OnDelete();
    void OnApply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LoadRows();
    void AppendRow(const QString& id, const QString& password, const QString& name);
    void RemoveRow(int row);
    void Renumber();
    bool MayEdit(int row, int column) const;
    bool IsChecked(int row) const;
    QString CellText(int row, int column) const;
    void ShowMessage(const char* key, const char* defaultText);
    bool WriteAccounts();

    std::string m_strAccountIni;
    QTableWidget* m_pList = nullptr;     // 1013
    QPushButton* m_pAdd = nullptr;       // 1014
    QPushButton* m_pDelete = nullptr;    // 1016
    QPushButton* m_pApply = nullptr;     // 1
    QPushButton* m_pCancel = nullptr;    // 2
    CVQEdit* m_pEditId = nullptr;        // 1017
    CVQEdit* m_pEditPassword = nullptr;  // 1018
    CVQEdit* m_pEditName = nullptr;      // 1034
    std::vector<QString> m_aPasswords;
    int m_nEditRow = -1;
    int m_nEditColumn = -1;
    bool m_bCommitting = false;
};
