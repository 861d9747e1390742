#pragma once

// Files on disk: whole reads and atomic writes, the lock under which programs sharing a file change
// it (LockedFile.h), the stamp that tells whether a file changed since it was read, the
// initialisation file both programs keep their data in (ProfileFile.h, ProfileDocument.h) and the
// user's folders. Every change to a file is whole or absent, even after a crash; a shared file is
// read, changed and replaced as one step under its lock, so that no program loses another's change;
// and a file that could not be read is never replaced.

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace platform {

// Reads the whole file. A missing file reads as empty, with exists false; any other failure is
// reported.
[[nodiscard]] std::error_code ReadWholeFile(const std::filesystem::path& path, std::string& bytes,
                                            bool& exists);

// Writes the bytes to a new temporary file beside `file`, flushes it to disk and renames it over
// `file`, so that anyone reading sees either the old file or the whole new one, never a part.
// An existing file keeps its permission bits. On failure the temporary file is removed and
// `file` is left as it was.
[[nodiscard]] std::error_code ReplaceFileAtomically(const std::filesystem::path& file,
                                                    std::string_view bytes);

// Writes a file that is not there yet, as ReplaceFileAtomically does: it appears whole or not at
// all. Fails with std::errc::file_exists, and leaves it alone, when the file is already there.
[[nodiscard]] std::error_code CreateFileAtomically(const std::filesystem::path& file,
                                                   std::string_view bytes);

// The file that a path names, its symbolic links followed (also a link to a file not yet made),
// so that replacing it replaces the file the link points to and the link itself stays.
std::filesystem::path ResolveLinks(std::filesystem::path path);

// The folder that holds `file`; "." for a bare file name.
std::filesystem::path FolderOf(const std::filesystem::path& file);

// The name that every temporary file for `file` begins with, in the file's folder.
std::string TemporaryFilePrefix(const std::filesystem::path& file);

} // namespace platform
