#pragma once
// Writing a downloaded file: a new file written piece by piece and flushed to the disk itself
// before it takes the target's place, so a power cut never leaves an empty file where a good one
// was.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace hengdian {

/// An open file being written; `handle` is the platform's descriptor or handle, -1 when closed.
struct OutputFile {
  std::intptr_t handle = -1;
};

/// Creates `path` as a new file for writing; false when it exists already or cannot be made.
bool createNewFile(const std::filesystem::path &path, OutputFile &file);

/// Appends `bytes` to the file; false when not all of them could be written.
bool writeToFile(OutputFile &file, std::string_view bytes);

/// Flushes the file's data to the disk itself (not only to the system's cache) and closes it;
/// false when either fails. The file is closed afterwards in any case.
bool flushAndCloseFile(OutputFile &file);

/// Closes the file without flushing it; nothing to do when it is closed already.
void closeFile(OutputFile &file);

/// Puts the file at `from` in the place of `to`, replacing a file there; false when it cannot.
bool replaceFile(const std::filesystem::path &from, const std::filesystem::path &to);

/// Why the last of the calls above that failed on this thread failed, in the system's words
/// ("No space left on device"). Read it before any other call into the system.
std::u16string lastFileError();

}  // namespace hengdian
