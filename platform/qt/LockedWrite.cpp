#include "qt/LockedWrite.h"

#include "files/AtomicFile.h"
#include "files/LockedFile.h"
#include "qt/MessageBox.h"

namespace platform {

std::string HeldFileQuestion(const std::filesystem::path& file)
{
    return "Another program is changing " + file.string() + " and keeps it locked (" +
           LockFileOf(ResolveLinks(file)).string() + "). Nothing was written.\n\nTry again?";
}

std::error_code WriteAskingWhileHeld(QWidget* owner, const std::filesystem::path& file,
                                     const std::function<std::error_code()>& write)
{
    std::error_code error;
    while ((error = write()) == FileLockError::Held &&
           ShowMessageBox(owner, {HeldFileQuestion(file), "Error", MessageButtons::YesNo,
                                  MessageIcon::Exclamation}) == MessageResult::Yes) {
    }
    return error;
}

} // namespace platform
