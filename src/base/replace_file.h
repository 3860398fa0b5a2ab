#pragma once

#include <filesystem>
#include <string_view>

namespace scenario {

// Replaces a file with new content as one step: the bytes go to a temporary
// file in the same folder, which is then renamed over the target. A failure at
// any point removes the temporary, leaves an earlier file exactly as it was and
// throws RunTimeFailure naming the file and the system's reason. Every file the
// program writes goes through here, with one write of its whole content.
void replace_file(const std::filesystem::path& target, std::string_view bytes);

}  // namespace scenario
