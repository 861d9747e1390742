#pragma once

#include "RegistryEx.h"

#include <string>

// The drop-down list that FillModemList fills, answering as the original list control answers.
class ModemListControl
{
public:
    static constexpr int kError = -1;

    virtual ~ModemListControl() = default;
    // Removes the item at index; the number of items left, or kError when there is none.
    virtual int DeleteString(int index) = 0;
    // Adds an item where the list's order puts it; its index, or kError.
    virtual int AddString(const std::string& text) = 0;
};

// The installed modems as the registry describes them: ten slots under the modem device class,
// each with a model name, a port and the command fragments of an init string. Nothing is kept
// between calls; every query reads the registry afresh.
class CModemRegistry
{
public:
    static constexpr int kSlotCount = 10;

    explicit CModemRegistry(RegistryErrorReporter reporter);
    virtual ~CModemRegistry() = default;

    // A value as text up to its first NUL, or the default when the key or value is missing.
    std::string ReadString(platform::HKEY root, const std::string& subKey,
                           const std::string& valueName, const std::string& defaultText) const;
    std::string GetModel(int index) const;
    // The slot's COM port number, from "AttachedTo" or else from the "PORTNAME" of its device
    // key under "Enum"; 0 when it has none.
    int GetPort(int index) const;
    // The lowest slot whose model equals name without regard to case and which has a port; -1.
    int FindModem(const std::string& name) const;
    int GetPortByName(const std::string& name) const;
    // "AT", the modem's command fragments, and the four characters "<cr>". speakerLevel -1
    // leaves the speaker alone, 0 turns it off, 1 to 3 set low, medium or high volume.
    std::string BuildInitString(const std::string& name, int speakerLevel) const;
    // Replaces the list's items with the installed models, except IP virtual modems.
    void FillModemList(ModemListControl& list) const;

private:
    // The slot's key name: the index in decimal, padded with zeros to four characters.
    std::string FormatIndex(int index) const;
    std::string GetModemKey(int index) const;
    bool HasSpeakerModes(const std::string& name) const;
    int CountSpeakerVolumes(const std::string& name) const;
    // A command fragment from the slot's "\Settings" key; empty when it has none.
    std::string ReadSetting(int slot, const char* valueName) const;

    RegistryErrorReporter m_reporter;
};
