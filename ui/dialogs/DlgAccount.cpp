// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/DlgAccount.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/app/Accounts.h"
#include "core/app/TextCase.h"
#include "ui/app/LangText.h"
#include "ui/controls/VQEdit.h"

namespace {

constexpr QChar kMaskCharacter(0x25CF);

// Account.ini holds the passwords as plain text, so no other user may read it: an existing
// file is made private before it is rewritten (the rewrite keeps the mode), a new one is
// created private.
bool MakePrivateFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    return ok;
}

QTableWidgetItem* MakeItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

CDlgAccount::CDlgAccount(std::string accountIni, QWidget* parent)
    : QDialog(parent), m_strAccountIni(std::move(accountIni)) {
    setWindowTitle(LangText("GUI", "ACCOUNT", "Account"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_pList = new QTableWidget(0, 4, this);
    m_pList->setHorizontalHeaderLabels({LangText("GUI", "NO", "No"), LangText("GUI", "ID", "ID"),
                                        LangText("GUI", "PASSWORD", "Password"),
                                        LangText("GUI", "USERNAME", "User Name")});
    for (int column = 0; column < 4; ++column) {
        m_pList->horizontalHeaderItem(column)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    const int widths[] = {75, 99, 99, 145};
    for (int column = 0; column < 4; ++column) {
        m_pList->setColumnWidth(column, widths[column]);
    }
    m_pList->verticalHeader()->hide();
    m_pList->setShowGrid(true);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->setMinimumSize(75 + 99 + 99 + 145 + 24, 260);
    m_pList->installEventFilter(this);

    struct EditorSpec {
        CVQEdit** editor;
        int filter;
        int maxLength;
        bool password;
    };
    for (const EditorSpec& spec :
         {EditorSpec{&m_pEditId, CVQEdit::kFilterAlphanumeric, kIdMaxLength, false},
          EditorSpec{&m_pEditPassword, CVQEdit::kFilterAlphanumeric, kPasswordMaxLength, true},
          EditorSpec{&m_pEditName, CVQEdit::kFilterWords, kNameMaxLength, false}}) {
        auto* editor = new CVQEdit(m_pList->viewport());
        editor->SetFilterMode(spec.filter);
        editor->setMaxLength(spec.maxLength);
        if (spec.password) {
            // The editor shows the cell's circles; what is typed shows as circles too.
            editor->setEchoMode(QLineEdit::Password);
        }
        editor->hide();
        connect(editor, &QLineEdit::editingFinished, this, &CDlgAccount::CommitEditor);
        *spec.editor = editor;
    }

    m_pAdd = new QPushButton(LangText("GUI", "ADD", "Add"), this);
    m_pDelete = new QPushButton(LangText("GUI", "DELETE", "Delete"), this);
    m_pApply = new QPushButton(LangText("GUI", "APPLY", "Apply"), this);
    m_pCancel = new QPushButton(LangText("GUI", "CANCEL", "Cancel"), this);
    // Enter does not close the dialog: it ends only through its buttons and close box.
    for (QPushButton* button : {m_pAdd, m_pDelete, m_pApply, m_pCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pAdd);
    buttons->addWidget(m_pDelete);
    buttons->addStretch();
    buttons->addWidget(m_pApply);
    buttons->addWidget(m_pCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pList);
    layout->addLayout(buttons);

    connect(m_pAdd, &QPushButton::clicked, this, &CDlgAccount::OnAdd);
    connect(m_pDelete, &QPushButton::clicked, this, &CDlgAccount::OnDelete);
    connect(m_pApply, &QPushButton::clicked, this, &CDlgAccount::OnApply);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pList, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { OpenEditor(row, column); });
    // A click elsewhere in the list ends an edit (the editor loses the focus and commits).
    connect(m_pList, &QTableWidget::cellClicked, this, [this] { CommitEditor(); });

    LoadRows();
}

QString CDlgAccount::Masked(const QString& password) {
    return QString(password.size(), kMaskCharacter);
}

CVQEdit* CDlgAccount::Editor(int column) const {
    switch (column) {
        case kColId:
            return m_pEditId;
        case kColPassword:
            return m_pEditPassword;
        case kColName:
            return m_pEditName;
        default:
            return nullptr;
    }
}

void CDlgAccount::LoadRows() {
    const vantrel::AccountTable table = vantrel::LoadAccounts(m_strAccountIni);
    AppendRow(QString::fromStdString(std::string(vantrel::kAdminId)),
              QString::fromStdString(table.EffectiveAdminPassword()),
              LangText("GUI", "ADMINISTRATOR", "Administrator"));
    // The administrator cannot be ticked for deletion.
    m_pList->item(0, kColNo)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    m_pList->item(0, kColNo)->setData(Qt::CheckStateRole, QVariant());
    for (const vantrel::Account& account : table.accounts) {
        AppendRow(QString::fromStdString(account.id), QString::fromStdString(account.password),
                  QString::fromStdString(account.name));
    }
}

void CDlgAccount::AppendRow(const QString& id, const QString& password, const QString& name) {
    const int row = m_pList->rowCount();
    m_pList->insertRow(row);
    auto* number = MakeItem(row == 0 ? QString() : QString::number(row));
    number->setFlags(number->flags() | Qt::ItemIsUserCheckable);
    number->setCheckState(Qt::Unchecked);
    m_pList->setItem(row, kColNo, number);
    m_pList->setItem(row, kColId, MakeItem(id));
    m_pList->setItem(row, kColPassword, MakeItem(Masked(password)));
    m_pList->setItem(row, kColName, MakeItem(name));
    m_aPasswords.push_back(password);
}

void CDlgAccount::RemoveRow(int row) {
    m_pList->removeRow(row);
    m_aPasswords.erase(m_aPasswords.begin() + row);
    // The remembered cell may name a row that has gone or moved.
    m_nEditRow = -1;
    m_nEditColumn = -1;
}

void CDlgAccount::Renumber() {
    for (int row = 1; row < m_pList->rowCount(); ++row) {
        m_pList->item(row, kColNo)->setText(QString::number(row));
    }
}

bool CDlgAccount::IsChecked(int row) const {
    const QTableWidgetItem* item = m_pList->item(row, kColNo);
    return item != nullptr && item->checkState() == Qt::Checked;
}

QString CDlgAccount::CellText(int row, int column) const {
    const QTableWidgetItem* item = m_pList->item(row, column);
    return item != nullptr ? item->text() : QString();
}

bool CDlgAccount::MayEdit(int row, int column) const {
    if (row < 0 || row >= m_pList->rowCount() || column < kColId || column > kColName) {
        return false;
    }
    // The administrator keeps its identifier and name; only its password changes.
    return row != 0 || column == kColPassword;
}

bool CDlgAccount::OpenEditor(int row, int column) {
    CommitEditor();
    if (!MayEdit(row, column)) {
        return false;
    }
    CVQEdit* editor = Editor(column);
    const QRect cell = m_pList->visualRect(m_pList->model()->index(row, column));
    editor->setGeometry(
        QRect(QPoint(cell.left() + 5, cell.top() + 2), QPoint(cell.right(), cell.bottom() - 3)));
    editor->setFont(m_pList->font());
    editor->setText(CellText(row, column));
    m_nEditRow = row;
    m_nEditColumn = column;
    editor->show();
    editor->setFocus();
    editor->selectAll();
    return true;
}

void CDlgAccount::CommitEditor() {
    if (m_bCommitting) {
        return;
    }
    m_bCommitting = true;
    const int row = m_nEditRow;
    const int column = m_nEditColumn;
    CVQEdit* editor = Editor(column);
    m_nEditRow = -1;
    m_nEditColumn = -1;
    // Only a cell that still exists takes the text, and its password only the slot of its row.
    if (editor != nullptr && !editor->isHidden() && MayEdit(row, column) &&
        static_cast<std::size_t>(row) < m_aPasswords.size()) {
        const QString text = editor->text();
        if (column == kColPassword) {
            // Leaving the circles as they were keeps the old password.
            if (text != Masked(text)) {
                m_aPasswords[static_cast<std::size_t>(row)] = text;
            }
            m_pList->item(row, column)
                ->setText(Masked(m_aPasswords[static_cast<std::size_t>(row)]));
        } else {
            m_pList->item(row, column)->setText(text);
        }
    }
    for (CVQEdit* each : {m_pEditId, m_pEditPassword, m_pEditName}) {
        each->hide();
    }
    m_bCommitting = false;
}

void CDlgAccount::OnAdd() {
    CommitEditor();
    AppendRow(QString(), QString(), QString());
    const int row = m_pList->rowCount() - 1;
    m_pList->setCurrentCell(row, kColId);
    m_pList->setFocus();
    OpenEditor(row, kColId);
}

void CDlgAccount::OnDelete() {
    CommitEditor();
    for (int row = m_pList->rowCount() - 1; row >= 1; --row) {
        if (IsChecked(row)) {
            RemoveRow(row);
        }
    }
    Renumber();
}

void CDlgAccount::ShowMessage(const char* key, const char* defaultText) {
    QMessageBox box(QMessageBox::Warning, LangText("GUI", "ACCOUNT", "Account"),
                    LangText("MESSAGE", key, defaultText), QMessageBox::Ok, this);
    box.exec();
}

void CDlgAccount::OnApply() {
    CommitEditor();
    for (int row = m_pList->rowCount() - 1; row >= 0; --row) {
        const QString id = CellText(row, kColId);
        const QString password = CellText(row, kColPassword);
        const QString name = CellText(row, kColName);
        if (id.isEmpty() && password.isEmpty() && name.isEmpty()) {
            RemoveRow(row);
            continue;
        }
        const std::string idText = id.toStdString();
        if (row != 0 && (vantrel::EqualsNoCase(idText, vantrel::kAdminId) ||
                         vantrel::EqualsNoCase(idText, vantrel::kGuestId))) {
            ShowMessage("CANNOTUSEDID", "\"Admin\" and \"Guest\" can not used as ID");
            Renumber();
            return;
        }
        if (id.isEmpty() || password.isEmpty() || name.isEmpty()) {
            ShowMessage("NOTENTERED", "ID, Password or Name has not entered");
            Renumber();
            return;
        }
    }
    Renumber();
    if (!WriteAccounts()) {
        ShowMessage("ACCOUNTSAVEFAIL", "The accounts could not be saved");
        return;
    }
    accept();
}

bool CDlgAccount::WriteAccounts() {
    if (m_strAccountIni.empty() || m_pList->rowCount() == 0) {
        return false;
    }
    vantrel::AccountTable table;
    table.adminPassword = m_aPasswords[0].toStdString();
    for (int row = 1; row < m_pList->rowCount(); ++row) {
        table.accounts.push_back({CellText(row, kColId).toStdString(),
                                  m_aPasswords[static_cast<std::size_t>(row)].toStdString(),
                                  CellText(row, kColName).toStdString()});
    }
    return MakePrivateFile(m_strAccountIni) && vantrel::SaveAccounts(m_strAccountIni, table);
}

bool CDlgAccount::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        OpenEditor(m_pList->currentRow(), m_pList->currentColumn());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Enter and Esc do nothing here; an editor's Enter commits it (editingFinished).
void CDlgAccount::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}
