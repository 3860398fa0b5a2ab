#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "base/run_time_failure.h"
#include "base/write_folder.h"

namespace scenario {

// A file that could not be written: the file, and the system's reason. The
// message (what()) says both; a program that speaks another language than its
// messages builds its own from the two parts.
class FileWriteFailure : public RunTimeFailure {
 public:
  FileWriteFailure(const std::filesystem::path& file, const std::string& reason);

  const std::filesystem::path& file() const { return file_; }
  const std::string& reason() const { return reason_; }

 private:
  std::filesystem::path file_;
  std::string reason_;
};

// Replaces a file with new content as one step: the bytes go to a temporary
// file in the same folder, flushed to storage, which is then renamed over the
// target, and the folder is flushed. A failure at any point removes the
// temporary, leaves an earlier file exactly as it was and throws
// FileWriteFailure naming the file and the system's reason. Every file the
// programs write goes through here, with one write of its whole content.
void replace_file(const std::filesystem::path& target, std::string_view bytes);

// One file of a set replaced together: its plain name in the folder.
struct NewFile {
  std::string name;
  std::string_view bytes;
};

// Replaces a set of files as one, in four steps:
//   1. every file's bytes go to a temporary beside it, flushed to storage;
//   2. every earlier file is kept aside under a second name (a second link,
//      or a copy where the file system has no links);
//   3. a journal naming the set is written: present only while the set is
//      being replaced, it lets the next run undo a replacement that a kill or
//      a power cut interrupted (recover_folder);
//   4. the temporaries are renamed over their targets back to back, in the
//      order given, the folder is flushed, and the journal and the files kept
//      aside go.
// A failed write touches no target; a failed rename puts the earlier set back
// (a target that did not exist is removed again). The folder holds either the
// whole earlier set or the whole new one. Throws FileWriteFailure naming the
// file that failed.
void replace_files(WriteFolder& folder, std::span<const NewFile> files);

// Before anything else is written in a folder held by the folder lock: a
// replacement that the journal shows interrupted is undone (every file of its
// set back as it was before it), and the temporaries and kept files that
// killed runs left are removed. Only names this system makes are touched.
// Throws FileWriteFailure when the folder cannot be brought back.
void recover_folder(WriteFolder& folder);

// The journal's name in a folder, and whether a name is one of the
// temporaries, kept files or journal of a replacement.
inline constexpr std::string_view kJournalName = ".scenario_set.journal";
bool is_replacement_leftover(std::string_view name);

}  // namespace scenario
