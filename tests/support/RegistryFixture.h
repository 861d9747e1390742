#pragma once

#include "registry/Registry.h"
#include "support/FakeSerialDevices.h"
#include "support/TempFolder.h"

#include <string>

namespace testsupport {

// The registry of a test: what the test writes as registry editor text, and the serial ports
// that it adds to its fake machine (none at first).
class RegistryFixture
{
public:
    static constexpr const char* kModemClass = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\"
                                               "Control\\Class\\{4D36E96D-E325-11CE-BFC1-"
                                               "08002BE10318}\\";

    RegistryFixture() { Write(""); }

    // Replaces the registry with the given lines (a header is put in front). The file is
    // replaced, not rewritten, so that the registry sees a new file even within one clock tick.
    void Write(const std::string& lines)
    {
        std::filesystem::path next = m_folder / "next.reg";
        WriteFile(next, "REGEDIT4\n" + lines);
        std::filesystem::rename(next, m_file);
    }

    // The key line of a modem slot ("0003") or of a key below it ("0003\\Settings").
    static std::string SlotKey(const std::string& slotPath)
    {
        return "[" + std::string(kModemClass) + slotPath + "]\n";
    }

    // A slot with a model and, unless empty, the port it is attached to.
    static std::string Slot(const std::string& slot, const std::string& model,
                            const std::string& attachedTo)
    {
        std::string text = SlotKey(slot) + "\"Model\"=\"" + model + "\"\n";
        if (!attachedTo.empty())
            text += "\"AttachedTo\"=\"" + attachedTo + "\"\n";
        return text;
    }

    const std::filesystem::path& Folder() const { return m_folder.path(); }
    FakeSerialDevices& Machine() { return m_machine; }

private:
    TempFolder m_folder;
    std::filesystem::path m_file = m_folder / "registry.reg";
    FakeSerialDevices m_machine{m_folder / "machine"};
    platform::ScopedRegistrySources m_sources{m_machine.Sources({m_file})};
};

} // namespace testsupport
