#include "Process.h"
#include "Shell.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using testsupport::ReadFile;
using testsupport::ScopedEnvironment;
using testsupport::TempFolder;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

// A folder of stand-ins for the desktop's tools, first (or alone) on PATH. Each records its
// arguments, one per line, in <name>.args beside it.
class FakeDesktopTools
{
public:
    // xdg-mime answers a query with this output and exit status.
    void SetCompiledHelpHandler(const std::string& output, int status = 0)
    {
        AddTool("xdg-mime", "printf '%s' '" + output + "'\nexit " + std::to_string(status));
    }
    void AddOpener() { AddTool("xdg-open", ""); }

    std::string ArgumentsOf(const std::string& tool) const { return ReadFile(Args(tool)); }
    bool WaitForArguments(const std::string& tool) const
    {
        for (int attempt = 0; attempt < 500 && !fs::exists(Args(tool)); ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return fs::exists(Args(tool));
    }
    const fs::path& folder() const { return m_folder.path(); }

private:
    fs::path Args(const std::string& tool) const { return m_folder / (tool + ".args"); }
    void AddTool(const std::string& name, const std::string& answer)
    {
        const fs::path tool = m_folder / name;
        // Written under another name and moved, so a reader never sees half the record.
        const std::string record = Args(name).string();
        WriteFile(tool, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".part'\n/bin/mv '" +
                            record + ".part' '" + record + "'\n" + answer + "\n");
        chmod(tool.c_str(), 0755);
    }

    TempFolder m_folder;
};

class HelpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_chm = m_program / "telmo.CHM";
        fs::create_directories(m_program.path() / "help");
    }

    TempFolder m_program;
    fs::path m_chm;
    FakeDesktopTools m_tools;
};

} // namespace

TEST_F(HelpTest, CompiledHelpOpensWhenTheDesktopHasAProgramForIt)
{
    WriteFile(m_chm, "ITSF");
    m_tools.SetCompiledHelpHandler("xchm.desktop\n");
    ScopedEnvironment path("PATH", m_tools.folder().string());
    EXPECT_EQ(platform::HelpToOpen(m_chm), m_chm);
    EXPECT_EQ(m_tools.ArgumentsOf("xdg-mime"), "query\ndefault\napplication/vnd.ms-htmlhelp\n");
}

TEST_F(HelpTest, TheHtmlPagesOpenWhenCompiledHelpCannotBeShown)
{
    const fs::path pages = m_program / "help" / "index.html";
    EXPECT_EQ(platform::HelpPagesPath(m_chm), pages);
    WriteFile(m_chm, "ITSF");
    {
        m_tools.SetCompiledHelpHandler("\n");
        ScopedEnvironment path("PATH", m_tools.folder().string());
        EXPECT_EQ(platform::HelpToOpen(m_chm), pages) << "no program for compiled help";
    }
    {
        m_tools.SetCompiledHelpHandler("xchm.desktop", 4);
        ScopedEnvironment path("PATH", m_tools.folder().string());
        EXPECT_EQ(platform::HelpToOpen(m_chm), pages) << "xdg-mime failed";
    }
    {
        ScopedEnvironment path("PATH", m_program.path().string());
        EXPECT_EQ(platform::HelpToOpen(m_chm), pages) << "no xdg-mime at all";
    }
    fs::remove(m_chm);
    m_tools.SetCompiledHelpHandler("xchm.desktop");
    ScopedEnvironment path("PATH", m_tools.folder().string());
    EXPECT_EQ(platform::HelpToOpen(m_chm), pages) << "no compiled help file beside the program";
}

TEST_F(HelpTest, OpenHelpHandsThePagesBesideThisProgramToTheDesktop)
{
    m_tools.AddOpener();
    ScopedEnvironment path("PATH", m_tools.folder().string());
    ASSERT_TRUE(platform::OpenHelp());
    ASSERT_TRUE(m_tools.WaitForArguments("xdg-open"));
    EXPECT_EQ(m_tools.ArgumentsOf("xdg-open"),
              (platform::ExecutablePath().parent_path() / "help" / "index.html").string() + "\n")
        << "this test program has no compiled help file beside it";
}

TEST(CaptureOutputTest, ReturnsStandardOutputOfAProgramThatSucceeded)
{
    EXPECT_EQ(platform::CaptureOutput("/bin/sh", {"-c", "printf 'a b\\n$HOME'; echo err >&2"}),
              "a b\n$HOME");
    EXPECT_EQ(platform::CaptureOutput("/bin/sh", {"-c", "echo partial; exit 3"}), std::nullopt);
    EXPECT_EQ(platform::CaptureOutput("/nonexistent/xdg-mime", {}), std::nullopt);
}
