// SPDX-License-Identifier: GPL-3.0-or-later
// The installed tree: this build folder installed with `cmake --install` into a temporary
// prefix (once for the suite), then looked at and used the way a package's user does: the
// files in their places, the libraries' sonames, and the installed vantrel-cli, started from
// an unrelated folder, finding its language files in <prefix>/share/vantrel/ and the demo's
// recorder emulator in <prefix>/lib/vantrel/emulator/. Needs the whole build (ctest runs
// after it) and readelf from binutils.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace {
namespace fs = std::filesystem;
using vantrel::test::TempFolder;

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

struct Outcome {
    int status = -1;
    std::string out;
};

class InstallTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_tmp = std::make_unique<TempFolder>();
        const Outcome install = Shell(Quote(VANTREL_CMAKE_COMMAND) + " --install " +
                                      Quote(VANTREL_BUILD_DIR) + " --prefix " + Quote(Prefix()));
        s_installed = install.status == 0;
        s_installLog = install.out;
    }
    static void TearDownTestSuite() { s_tmp.reset(); }

    void SetUp() override {
        ASSERT_TRUE(s_installed) << "cmake --install failed:\n" << s_installLog;
    }

    static std::string Prefix() { return s_tmp->Folder("prefix"); }

    // A command line through the shell, its standard output and error together.
    static Outcome Shell(const std::string& command) {
        const std::string log = s_tmp->Folder() + "run.txt";
        const int status = std::system((command + " >" + Quote(log) + " 2>&1 </dev/null").c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempFolder::Read(log)};
    }

    // The installed vantrel-cli with a home of its own, started in a folder that holds
    // nothing of the program.
    Outcome Cli(const std::string& args) {
        const std::string home = m_tmp.Folder("home");
        const std::string elsewhere = m_tmp.Folder("elsewhere");
        fs::create_directories(home);
        fs::create_directories(elsewhere);
        return Shell("cd " + Quote(elsewhere) +
                     " && env -i PATH=/usr/bin:/bin TZ=Europe/Berlin LC_ALL=C.UTF-8 HOME=" +
                     Quote(home) + " " + Quote(Prefix() + "bin/vantrel-cli") + " " + args);
    }

    static std::string Soname(const std::string& library) {
        const Outcome run = Shell("readelf -d " + Quote(library));
        const std::string mark = "Library soname: [";
        const std::size_t at = run.out.find(mark);
        if (at == std::string::npos) {
            return {};
        }
        const std::size_t end = run.out.find(']', at);
        return run.out.substr(at + mark.size(), end - at - mark.size());
    }

    TempFolder m_tmp;
    static inline std::unique_ptr<TempFolder> s_tmp;
    static inline bool s_installed = false;
    static inline std::string s_installLog;
};

TEST_F(InstallTree, EveryFileIsInItsPlace) {
    const std::vector<std::string> files = {
        "bin/vantrel-cli",
        "lib/libPlumex.so.1.0.0",
        "include/plumex/Plumex.h",
        "lib/vantrel/emulator/libVantrelRecorderEmulator.so",
        "share/vantrel/lang_en.ini",
        "share/vantrel/lang_kr.ini",
        "share/vantrel/lang_jp.ini",
        "share/vantrel/App.ini",
        "share/vantrel/Account.ini",
        "share/man/man1/vantrel-cli.1.gz",
        "share/bash-completion/completions/vantrel-cli",
        "share/bash-completion/completions/vantrel",
        "share/applications/vantrel.desktop",
        "share/icons/hicolor/scalable/apps/vantrel.svg",
        "share/metainfo/org.vantrel.Vantrel.metainfo.xml",
        "lib/udev/rules.d/70-korvu-recorder.rules",
        "lib/udev/hwdb.d/70-korvu-recorder.hwdb",
    };
    for (const std::string& file : files) {
        EXPECT_TRUE(fs::is_regular_file(Prefix() + file)) << file;
    }
    // The loader's name and the linker's name are links to the one library.
    for (const std::string link : {"lib/libPlumex.so.1", "lib/libPlumex.so"}) {
        ASSERT_TRUE(fs::is_symlink(Prefix() + link)) << link;
        EXPECT_TRUE(fs::equivalent(Prefix() + link, Prefix() + "lib/libPlumex.so.1.0.0")) << link;
    }
    // The recorder emulator stays away from the loader's folders.
    EXPECT_FALSE(fs::exists(Prefix() + "lib/libVantrelRecorderEmulator.so"));
    EXPECT_FALSE(fs::exists(Prefix() + "bin/lang_en.ini"));
}

TEST_F(InstallTree, LibrariesCarryTheirSonames) {
    // The device-link library is versioned; the emulator is a module bound by its path.
    EXPECT_EQ(Soname(Prefix() + "lib/libPlumex.so.1.0.0"), "libPlumex.so.1");
    EXPECT_EQ(Soname(Prefix() + "lib/vantrel/emulator/libVantrelRecorderEmulator.so"),
              "libVantrelRecorderEmulator.so");
}

TEST_F(InstallTree, ManualPageIsMadeFromTheHelp) {
    const Outcome page = Shell("gzip -dc " + Quote(Prefix() + "share/man/man1/vantrel-cli.1.gz"));
    ASSERT_EQ(page.status, 0) << page.out;
    EXPECT_NE(page.out.find(".TH"), std::string::npos) << page.out.substr(0, 300);
    EXPECT_NE(page.out.find("import\\-sd ROOT"), std::string::npos);  // roff escapes the hyphen
}

TEST_F(InstallTree, InstalledCliFindsItsLanguageFiles) {
    // Korean titles come only from share/vantrel/lang_kr.ini; the built-in texts are English.
    const Outcome korean = Cli("--demo --lang kr list");
    ASSERT_EQ(korean.status, 0) << korean.out;
    EXPECT_NE(korean.out.find("저장 시간"), std::string::npos) << korean.out.substr(0, 400);
    const Outcome japanese = Cli("--demo --lang jp list");
    ASSERT_EQ(japanese.status, 0) << japanese.out;
    EXPECT_EQ(japanese.out.find("Save Time"), std::string::npos) << japanese.out.substr(0, 400);
}

TEST_F(InstallTree, InstalledDemoDownloadsFromTheInstalledEmulator) {
    const Outcome download = Cli("--demo import-usb");
    ASSERT_EQ(download.status, 0) << download.out;
    EXPECT_NE(download.out.find("files imported"), std::string::npos) << download.out;
    const Outcome list = Cli("--demo list");
    ASSERT_EQ(list.status, 0) << list.out;
    EXPECT_NE(list.out.find(" USB "), std::string::npos) << list.out;
}

}  // namespace
