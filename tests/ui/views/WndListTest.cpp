// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the record list in the main window against records imported from a generated card:
// the rows are the store's, Delete is not offered to a guest, a double-click beside the rows
// does nothing while one on a row opens the record in record mode, a filter refills the rows
// at once, Delete and Export ask for checked rows, and deleting the open record clears the
// views and removes only that record's files.
#include <QComboBox>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/store/MgrTachoDB.h"
#include "tests/ui/dialogs/ModalWatcher.h"
#include "tests/ui/frame/UiAppFixture.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"
#include "ui/dialogs/DlgExport.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PanelMain.h"
#include "ui/views/DrivingInfo.h"
#include "ui/views/RecordListModel.h"
#include "ui/views/WndList.h"

namespace {

// Answers every message box with the button, collecting the texts.
QStringList Answering(QMessageBox::StandardButton answer, const std::function<void()>& action) {
    QStringList shown;
    ModalWatcher<QMessageBox> watcher([&](QMessageBox* box) {
        shown << box->text();
        QAbstractButton* button = box->button(answer);
        (button != nullptr ? button : box->button(QMessageBox::Ok))->click();
    });
    action();
    return shown;
}

class WndListTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        m_app = std::make_unique<vantrel::test::UiAppFixture>(GetParam());
        std::string error;
        const auto card = vantrel::datagen::GenerateCard(
            vantrel::datagen::NamedScenario("week").value(), 3, &error);
        ASSERT_TRUE(card) << error;
        const std::string root = m_app->Path("card").toStdString();
        vantrel::datagen::WriteSdCard(*card, root);
        m_frame = std::make_unique<CMainFrame>();
        m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        Answering(QMessageBox::Ok, [&] { m_frame->ImportSdCard(QString::fromStdString(root)); });
        m_list = m_frame->RecordList();
        m_frame->PanelMain()->ToggleListMode();
    }
    int Rows() const { return m_list->Model()->rowCount(); }

    std::unique_ptr<vantrel::test::UiAppFixture> m_app;
    std::unique_ptr<CMainFrame> m_frame;
    CWndList* m_list = nullptr;
};

TEST_P(WndListTest, RowsOpenFilterDelete) {
    const std::vector<vantrel::RecordRow>& rows = m_frame->Store().GetRows();
    ASSERT_GE(rows.size(), 2u);
    ASSERT_EQ(Rows(), static_cast<int>(rows.size()));
    EXPECT_EQ(m_list->Model()->index(0, 5).data().toString().toStdString(),
              rows[0].columns[vantrel::kColVehicleNo]);
    EXPECT_EQ(m_list->DeleteButton()->isVisible(), GetParam() != vantrel::kUserLevelGuest);
    EXPECT_TRUE(m_list->ExportButton()->isVisible());
    EXPECT_TRUE(m_list->isVisible());
    m_list->grab();  // captions are set at paint
    for (const QPushButton* button : {m_list->DeleteButton(), m_list->ExportButton()}) {
        EXPECT_EQ(button->width(), 170);
        EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()), 170 - 12)
            << button->text().toStdString() << " is cut by its button";
    }

    QSignalSpy opened(m_list, &CWndList::RecordOpened);
    m_list->OpenRow(-1);
    m_list->OpenRow(Rows());
    EXPECT_EQ(opened.count(), 0);
    EXPECT_TRUE(m_frame->PanelMain()->IsListMode());

    // A double-click on the second row opens it in record mode.
    const std::string second = rows[1].RecordPath();
    QTableView* table = m_list->Table();
    const QRect cell = table->visualRect(m_list->Model()->index(1, 5));
    // A press comes before the double-click, as from a mouse.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(m_frame->Store().GetSelectedRecord(), second);
    EXPECT_FALSE(m_frame->PanelMain()->IsListMode());
    EXPECT_TRUE(m_frame->PanelMain()->DrivingInfo()->IsLoaded());
    m_frame->PanelMain()->ToggleListMode();

    // Delete and Export without a checked row say so.
    EXPECT_EQ(Answering(QMessageBox::Ok, [&] { m_list->OnExport(); }),
              QStringList{"There is no selected data"});
    QSignalSpy exported(m_list, &CWndList::ExportRequested);
    m_list->Model()->SetChecked(0, true);
    m_list->Model()->SetChecked(1, true);
    {
        // The frame opens the export dialog for them; it is closed unused.
        ModalWatcher<CDlgExport> dialog([](CDlgExport* d) { d->CloseButton()->click(); });
        Answering(QMessageBox::Ok, [&] { m_list->OnExport(); });
        EXPECT_EQ(dialog.Seen(), 1);
    }
    ASSERT_EQ(exported.count(), 1);
    EXPECT_EQ(exported[0][0].toStringList().size(), 2);

    // Deleting the open record clears the views; the other records' files stay.
    const int before = Rows();
    m_list->Model()->SetChecked(0, false);
    EXPECT_EQ(Answering(QMessageBox::Yes, [&] { m_list->OnDelete(); }),
              QStringList{"Do you want to delete selected data?"});
    EXPECT_EQ(Rows(), before - 1);
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_TRUE(std::filesystem::exists(m_frame->Store().GetRows()[0].RecordPath()));
    EXPECT_FALSE(m_frame->PanelMain()->DrivingInfo()->IsLoaded());
    EXPECT_TRUE(m_frame->Store().GetSelectedRecord().empty());

    // A vehicle filter keeps only that vehicle's rows.
    QComboBox* vehicles = m_list->Filter(1);
    ASSERT_GE(vehicles->count(), 3);
    vehicles->setCurrentIndex(2);
    const QString vehicle = vehicles->currentText();
    EXPECT_GT(Rows(), 0);
    for (int row = 0; row < Rows(); ++row) {
        EXPECT_EQ(m_list->Model()->index(row, 5).data().toString(), vehicle) << row;
    }
    vehicles->setCurrentIndex(0);
    EXPECT_EQ(Rows(), before - 1);
}

INSTANTIATE_TEST_SUITE_P(AdminAndGuest, WndListTest, ::testing::Values(0, 2));

}  // namespace
