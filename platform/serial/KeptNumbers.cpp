#include "serial/KeptNumbers.h"

#include "files/LockedFile.h"
#include "messages/Notice.h"
#include "serial/SerialPortMap.h"

#include <mutex>
#include <optional>
#include <utility>

namespace fs = std::filesystem;

namespace platform {

namespace {

// How many of a damaged file's lines the notice names.
constexpr std::size_t kNamedBadLines = 5;

std::string_view TrimmedLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.remove_suffix(1);
    return line;
}

// What this process knows of one numbers file.
struct Memory
{
    std::optional<KeptNumbers> kept; // as last read or given, once the file was used at all
    bool told = false;               // the user has heard that the file cannot be used
};

std::mutex g_mutex;
std::map<fs::path, Memory> g_memory;

void TellOnce(Memory& memory, const std::string& problem, const fs::path& file)
{
    if (std::exchange(memory.told, true))
        return;
    TellUser("Telmo keeps the COM numbers of the serial ports in " + file.string() + ", which " +
             problem +
             " Until then Telmo leaves the file as it is and numbers the ports in memory, so a "
             "modem may show another COM number than it did.");
}

std::string BadLinesProblem(const std::vector<std::size_t>& lines)
{
    std::string named;
    for (std::size_t at = 0; at < lines.size() && at < kNamedBadLines; ++at)
        named += (at == 0 ? "" : ", ") + std::to_string(lines[at]);
    return std::string("holds lines that are not \"COMn=device\" (line") +
           (lines.size() > 1 ? "s " : " ") + named +
           (lines.size() > kNamedBadLines ? ", ..." : "") + "): correct or delete them.";
}

std::vector<int> AssignInMemory(Memory& memory, const KeptNumbers& start,
                                const std::vector<std::string>& identities,
                                const std::set<int>& reserved)
{
    KeptNumbers kept = memory.kept.value_or(start);
    std::vector<int> numbers = AssignNumbers(kept, identities, reserved);
    memory.kept = std::move(kept);
    return numbers;
}

} // namespace

KeptNumbersText ParseKeptNumbers(std::string_view text)
{
    KeptNumbersText parsed;
    std::set<std::string, std::less<>> identities;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = TrimmedLine(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t equals = line.find('=');
        const std::optional<int> number = equals == std::string_view::npos
                                              ? std::nullopt
                                              : SerialPortMap::ParseComName(line.substr(0, equals));
        const std::string_view identity =
            equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
        if (number && !identity.empty() && !parsed.numbers.contains(*number) &&
            !identities.contains(identity)) {
            identities.emplace(identity);
            parsed.numbers.emplace(*number, identity);
        } else {
            parsed.badLines.push_back(lineNumber);
        }
    }
    return parsed;
}

std::string FormatKeptNumbers(const KeptNumbers& numbers)
{
    std::string text =
        "# The COM numbers Telmo gave the serial devices of this machine. A device keeps\n"
        "# its number while it is unplugged; delete its line to free the number.\n";
    for (const auto& [number, identity] : numbers)
        text += SerialPortMap::ComName(number) + "=" + identity + "\n";
    return text;
}

std::vector<int> AssignNumbers(KeptNumbers& kept, const std::vector<std::string>& identities,
                               const std::set<int>& reserved)
{
    std::map<std::string, int> keptByIdentity;
    std::set<int> used = reserved;
    for (const auto& [number, identity] : kept) {
        used.insert(number);
        if (!reserved.contains(number))
            keptByIdentity.emplace(identity, number);
    }
    std::vector<int> numbers;
    int next = 1;
    for (const std::string& identity : identities) {
        if (auto found = keptByIdentity.find(identity); found != keptByIdentity.end()) {
            numbers.push_back(found->second);
            continue;
        }
        std::erase_if(kept, [&](const auto& entry) { return entry.second == identity; });
        while (used.contains(next))
            ++next;
        numbers.push_back(next);
        used.insert(next);
        kept[next] = identity;
    }
    return numbers;
}

std::vector<int> NumberDevices(const fs::path& file, const std::vector<std::string>& identities,
                               const std::set<int>& reserved)
{
    std::lock_guard guard(g_mutex);
    Memory& memory = g_memory[file];
    std::optional<std::vector<int>> numbers;
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    const std::error_code error =
        UpdateLockedFile(file, [&](const std::string& before) -> std::optional<std::string> {
            const KeptNumbersText text = ParseKeptNumbers(before);
            if (!text.badLines.empty()) {
                TellOnce(memory, BadLinesProblem(text.badLines), file);
                numbers = AssignInMemory(memory, text.numbers, identities, reserved);
                return std::nullopt;
            }
            memory = {text.numbers};
            numbers = AssignInMemory(memory, {}, identities, reserved);
            return *memory.kept == text.numbers ? std::nullopt
                                                : std::optional(FormatKeptNumbers(*memory.kept));
        });
    // A new number that could not be written (a read-only home) stays in memory, unsaid: there
    // is nothing the user need do about it.
    if (numbers)
        return *numbers;
    TellOnce(memory, "could not be read (" + error.message() + "): correct its permissions.", file);
    return AssignInMemory(memory, {}, identities, reserved);
}

} // namespace platform
