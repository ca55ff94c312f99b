#pragma once
// Writing a downloaded file: a new file made in a folder held open by a handle, written piece by
// piece and flushed to the disk itself before it takes the target's place, so a power cut never
// leaves an empty file where a good one was. The file is made, renamed and removed through the
// folder's handle, never by the folder's path again, so all of it happens in the folder it was
// made in even when that path comes to mean another folder (a symlink swapped, the folder moved)
// while the body arrives.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace hengdian {

/// A folder held open for making files in; `handle` is the platform's descriptor or handle, -1
/// when closed.
struct OutputFolder {
  std::intptr_t handle = -1;
};

/// An open file being written in an `OutputFolder`, under `name` there; `handle` is -1 when
/// closed.
struct OutputFile {
  std::intptr_t handle = -1;
  std::filesystem::path name;
};

/// How an attempt to make a new file went.
enum class CreateOutcome { Created, NameTaken, Failed };

/// Opens the folder at `path` ("" for the current folder); false when it cannot.
bool openFolder(const std::filesystem::path &path, OutputFolder &folder);

/// Closes the folder; nothing to do when it is closed already.
void closeFolder(OutputFolder &folder);

/// Makes `name` (a bare file name) as a new file for writing in `folder`.
CreateOutcome createNewFile(const OutputFolder &folder, const std::filesystem::path &name, OutputFile &file);

/// Appends `bytes` to the file; false when not all of them could be written.
bool writeToFile(OutputFile &file, std::string_view bytes);

/// Flushes the file's data to the disk itself (not only to the system's cache); false when it
/// cannot.
bool flushFile(OutputFile &file);

/// Gives the flushed file the name `target` (a bare file name) in `folder`, replacing a file
/// there, and closes it; false when it cannot, and the file is then still under its own name.
bool moveIntoPlace(const OutputFolder &folder, OutputFile &file, const std::filesystem::path &target);

/// Removes the file from the folder it was made in and closes it; nothing to do once it has been
/// moved into place.
void discardFile(const OutputFolder &folder, OutputFile &file);

/// Why the last of the calls above that failed on this thread failed, in the system's words
/// ("No space left on device"). Read it before any other call into the system.
std::u16string lastFileError();

}  // namespace hengdian
