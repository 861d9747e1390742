#include "PhoneBookExport.h"

#include "PhoneBookCsv.h"
#include "PhoneBookDocument.h"
#include "files/AtomicFile.h"
#include "files/ProfileFile.h"
#include "qt/MessageBox.h"
#include "qt/SaveFileDialog.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kCaption = "Telmo Export";

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
    // A telmo.ini that cannot be read would look like an empty phone book; the user is told why
    // instead. A missing file is an empty phone book, not a problem.
    std::error_code readError;
    platform::ProfileDocument document = platform::ProfileFile(m_iniPath).Load(readError);
    if (readError) {
        Tell(owner,
             "Could not read the phone book " + m_iniPath.string() + ": " + readError.message() +
                 ".",
             true);
        return Outcome::Failed;
    }
    const std::vector<PhoneEntry> entries = PhoneBookDocument(document).LiveEntries();
    if (entries.empty()) {
        Tell(owner, "There are no entries to export in " + m_iniPath.string() + ".", false);
        return Outcome::NothingToExport;
    }

    const std::optional<fs::path> target = platform::GetSaveFileName(
        owner, {"Export Entries", m_defaultFolder / "telmo.csv",
                "Comma Separated Values (CSV) files (*.csv);;All files (*)", "csv"});
    if (!target)
        return Outcome::Cancelled;

    const std::string csv = PhoneBookCsv(entries);
    if (std::error_code error =
            platform::ReplaceFileAtomically(platform::ResolveLinks(*target), csv)) {
        Tell(owner,
             "Could not write " + target->string() + ": " + error.message() +
                 ".\n\nNo file was changed.",
             true);
        return Outcome::Failed;
    }
    Tell(owner, "Exported " + EntryCount(entries.size()) + " to " + target->string() + ".", false);
    return Outcome::Exported;
}
