// SPDX-License-Identifier: GPL-3.0-or-later
// The main frame over a generated SD card, imported and its first record opened, for the
// print tests: the page is made from the windows as an operator has them.
#pragma once

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/ui/dialogs/ModalWatcher.h"
#include "tests/ui/frame/UiAppFixture.h"
#include "tools/datagen/CardWriter.h"
#include "tools/datagen/Generator.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PanelMain.h"
#include "ui/views/DrivingInfo.h"
#include "ui/views/WndGraph.h"
#include "ui/views/WndList.h"

namespace vantrel::test {

class PrintFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_app = std::make_unique<UiAppFixture>(2);
        std::string error;
        const auto card = datagen::GenerateCard(datagen::NamedScenario("small").value(), 5, &error);
        ASSERT_TRUE(card) << error;
        const std::string root = m_app->Path("card").toStdString();
        ASSERT_TRUE(datagen::WriteSdCard(*card, root).ok);
        m_frame = std::make_unique<CMainFrame>();
        m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        {
            ModalWatcher<QMessageBox> ok(
                [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
            m_frame->ImportSdCard(QString::fromStdString(root));
        }
        m_frame->PanelMain()->ToggleListMode();
        m_frame->RecordList()->OpenRow(0);
        ASSERT_NE(Graph(), nullptr);
        ASSERT_TRUE(Info().IsLoaded());
        ASSERT_FALSE(Graph()->m_wndInfo->m_strDayDate.empty());
    }
    void TearDown() override {
        m_frame.reset();
        m_app.reset();
    }

    CWndGraph* Graph() const { return m_frame->Graph(); }
    CWndDrivingInfo& Info() const { return *m_frame->PanelMain()->DrivingInfo(); }
    std::string TempPath(const char* name) const { return m_app->Path(name).toStdString(); }

    // Standard output of a shell command.
    static std::string Run(const std::string& command) {
        std::string out;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            std::size_t n = 0;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
                out.append(buffer, n);
            }
            ::pclose(pipe);
        }
        return out;
    }

    std::unique_ptr<UiAppFixture> m_app;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace vantrel::test
