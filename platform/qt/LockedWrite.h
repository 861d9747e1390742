#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

class QWidget;

namespace platform {

// Runs a write of a file that other programs change too. While another program keeps the file's
// lock, the user is told which file is held and may try again; nothing is written meanwhile.
// Returns the write's result: FileLockError::Held when the user chose not to try again, having
// been told why.
std::error_code WriteAskingWhileHeld(QWidget* owner, const std::filesystem::path& file,
                                     const std::function<std::error_code()>& write);

// The question put while the file is held.
std::string HeldFileQuestion(const std::filesystem::path& file);

} // namespace platform
