#pragma once

#include "TelephonyRequest.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

// Runs a test with PATH pointing at an empty folder of its own, where InstallOpener puts a fake
// xdg-open that records its arguments, one a line; the telephony binding starts afresh.
class FakeOpenerTest : public ::testing::Test
{
protected:
    FakeOpenerTest() : m_path("PATH", BinFolder().string())
    {
        std::filesystem::create_directories(BinFolder());
        ResetTelephonyBinding();
    }
    ~FakeOpenerTest() override { ResetTelephonyBinding(); }

    std::filesystem::path OpenerPath() const { return BinFolder() / "xdg-open"; }
    std::filesystem::path RecordPath() const { return m_folder / "arguments.txt"; }

    void InstallOpener() const
    {
        std::string record = RecordPath().string();
        std::ofstream script(OpenerPath());
        script << "#!/bin/sh\n"
               << "printf '%s\\n' \"$@\" > '" << record << ".tmp' && exec /bin/mv '" << record
               << ".tmp' '" << record << "'\n";
        script.close();
        std::filesystem::permissions(OpenerPath(), std::filesystem::perms::owner_all);
    }

    // The arguments of the opener's last start; the record is consumed.
    std::string WaitForArguments() const
    {
        for (int attempt = 0; attempt < 500 && !std::filesystem::exists(RecordPath()); ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::string arguments = testsupport::ReadFile(RecordPath());
        std::filesystem::remove(RecordPath());
        return arguments;
    }

private:
    std::filesystem::path BinFolder() const { return m_folder / "bin"; }

    testsupport::TempFolder m_folder;
    testsupport::ScopedEnvironment m_path;
};
