#pragma once

#include "TelephonyRequest.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <thread>
#include <unistd.h>

// Runs a test with PATH pointing at an empty folder of its own, where InstallOpener puts a fake
// xdg-open that records its arguments, one a line; the telephony binding starts afresh.
class FakeOpenerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder =
            std::filesystem::temp_directory_path() / ("telmo-opener-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder / "bin");
        if (const char* path = std::getenv("PATH"))
            m_savedPath = path;
        setenv("PATH", (m_folder / "bin").c_str(), 1);
        ResetTelephonyBinding();
    }

    void TearDown() override
    {
        if (m_savedPath)
            setenv("PATH", m_savedPath->c_str(), 1);
        else
            unsetenv("PATH");
        ResetTelephonyBinding();
        std::filesystem::remove_all(m_folder);
    }

    std::filesystem::path OpenerPath() const { return m_folder / "bin" / "xdg-open"; }
    std::filesystem::path RecordPath() const { return m_folder / "arguments.txt"; }

    void InstallOpener() const
    {
        std::string record = RecordPath().string();
        std::ofstream(OpenerPath())
            << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << record << ".tmp' && exec /bin/mv '"
            << record << ".tmp' '" << record << "'\n";
        std::filesystem::permissions(OpenerPath(), std::filesystem::perms::owner_all);
    }

    // The arguments of the opener's last start; the record is consumed.
    std::string WaitForArguments() const
    {
        for (int attempt = 0; attempt < 500 && !std::filesystem::exists(RecordPath()); ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(RecordPath());
        std::stringstream text;
        text << in.rdbuf();
        in.close();
        std::filesystem::remove(RecordPath());
        return text.str();
    }

private:
    std::filesystem::path m_folder;
    std::optional<std::string> m_savedPath;
};
