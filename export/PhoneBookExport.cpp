#include "PhoneBookExport.h"

#include "AtomicFile.h"
#include "FileDescriptor.h"
#include "MessageBox.h"
#include "PhoneBook.h"
#include "PhoneBookCsv.h"
#include "SaveFileDialog.h"
#include "TextEncoding.h"

#include <fcntl.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kCaption = "Telmo Export";

// A telmo.ini that cannot be read would look like an empty phone book; the user is told why
// instead. A missing file is an empty phone book, not a problem.
std::error_code ReadProblem(const fs::path& iniPath)
{
    platform::FileDescriptor fd(open(iniPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return errno == ENOENT ? std::error_code() : platform::LastError();
    char firstByte;
    if (read(fd.get(), &firstByte, 1) < 0)
        return platform::LastError();
    return {};
}

// telmo.ini holds text in the locale's encoding, UTF-8. A file carried over from the original
// platform holds Windows-1252 instead, which is read as such, so no character is lost or replaced
// on the way into the UTF-8 file.
std::vector<PhoneEntry> AsUtf8(std::vector<PhoneEntry> entries)
{
    for (PhoneEntry& entry : entries) {
        platform::MakeUtf8(entry.name);
        for (const PhoneKind& kind : PhoneKinds())
            platform::MakeUtf8(entry.*kind.number);
    }
    return entries;
}

// A link chosen as the target keeps pointing at the file it names, which gets the new content.
fs::path FollowLinks(const fs::path& target)
{
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(target, error);
    return error ? target : resolved;
}

void Tell(QWidget* owner, const std::string& text, bool isError)
{
    platform::ShowMessageBox(
        owner, {text, kCaption, platform::MessageButtons::Ok,
                isError ? platform::MessageIcon::Exclamation : platform::MessageIcon::Information});
}

std::string EntryCount(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

} // namespace

PhoneBookExport::PhoneBookExport(fs::path iniPath, fs::path defaultFolder)
    : m_iniPath(std::move(iniPath)), m_defaultFolder(std::move(defaultFolder))
{}

PhoneBookExport::Outcome PhoneBookExport::Run(QWidget* owner) const
{
    if (std::error_code error = ReadProblem(m_iniPath)) {
        Tell(owner,
             "Could not read the phone book " + m_iniPath.string() + ": " + error.message() + ".",
             true);
        return Outcome::Failed;
    }
    const std::vector<PhoneEntry> entries = CPhoneBook(m_iniPath).LiveEntries();
    if (entries.empty()) {
        Tell(owner, "There are no entries to export in " + m_iniPath.string() + ".", false);
        return Outcome::NothingToExport;
    }

    const std::optional<fs::path> target = platform::GetSaveFileName(
        owner, {"Export Entries", m_defaultFolder / "telmo.csv",
                "Comma Separated Values (CSV) files (*.csv);;All files (*)", "csv"});
    if (!target)
        return Outcome::Cancelled;

    const std::string csv = PhoneBookCsv(AsUtf8(entries));
    if (std::error_code error = platform::ReplaceFileAtomically(FollowLinks(*target), csv)) {
        Tell(owner,
             "Could not write " + target->string() + ": " + error.message() +
                 ".\n\nNo file was changed.",
             true);
        return Outcome::Failed;
    }
    Tell(owner, "Exported " + EntryCount(entries.size()) + " to " + target->string() + ".", false);
    return Outcome::Exported;
}
