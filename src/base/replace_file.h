#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "base/run_time_failure.h"

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
// file in the same folder, which is then renamed over the target. A failure at
// any point removes the temporary, leaves an earlier file exactly as it was and
// throws FileWriteFailure naming the file and the system's reason. Every file
// the program writes goes through here, with one write of its whole content.
void replace_file(const std::filesystem::path& target, std::string_view bytes);

// One file of a set replaced together.
struct NewFile {
  std::filesystem::path target;
  std::string_view bytes;
};

// Replaces a set of files as one: every file's bytes go to its temporary
// first, and only when all are written are the temporaries renamed over their
// targets, in the order given. A failed write touches no target. A failed
// rename puts back what the renames before it replaced (each earlier file is
// kept aside until the whole set is in place; a target that did not exist is
// removed again), so the folder holds either the whole earlier set or the
// whole new one. Throws FileWriteFailure naming the file that failed.
void replace_files(std::span<const NewFile> files);

}  // namespace scenario
