#include "base/replace_file.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/plain_file_name.h"

namespace scenario {

namespace fs = std::filesystem;

FileWriteFailure::FileWriteFailure(const fs::path& file, const std::string& reason)
    : RunTimeFailure("cannot write " + utf8_of_path(file) + ": " + reason), file_(file), reason_(reason) {}

namespace {

constexpr std::string_view kTemporaryEnding = ".tmp";
constexpr std::string_view kKeptEnding = ".old";
constexpr std::string_view kJournalFirstLine = "scenario set 1";

// A name beside `name` that no other file has: "." NAME "." TAG `ending`.
std::string name_beside(const std::string& name, std::string_view ending) {
  static std::random_device random;
  const auto tag = (static_cast<unsigned long long>(random()) << 32) ^ random();
  return "." + name + "." + std::to_string(tag) + std::string(ending);
}

// The NAME of "." NAME "." TAG ending, when `leftover` has that shape.
std::optional<std::string_view> name_of_leftover(std::string_view leftover) {
  if (!leftover.ends_with(kTemporaryEnding) && !leftover.ends_with(kKeptEnding)) return std::nullopt;
  if (!leftover.starts_with('.')) return std::nullopt;
  const std::string_view inner = leftover.substr(1, leftover.size() - 1 - kTemporaryEnding.size());
  const std::size_t dot = inner.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  const std::string_view tag = inner.substr(dot + 1);
  if (tag.size() < 6 || tag.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  return inner.substr(0, dot);
}

// The files this system writes, by how their names end.
bool is_build_file(std::string_view name) {
  if (name == kJournalName || kind_of_file(name) != FileKind::other) return true;
  for (const std::string_view ending : {"_note.txt", "_rallentamenti.txt", "_scheda_treno.txt"}) {
    if (name.ends_with(ending)) return true;
  }
  return false;
}

bool is_plain_name(std::string_view name) { return is_plain_file_name(name); }

// One file of a set being replaced: its temporary, and the earlier file kept
// aside (none when there was no earlier file).
struct Entry {
  std::string name;
  std::string temporary;
  std::optional<std::string> kept;
};

void remove_quietly(WriteFolder& folder, const std::string& name) { folder.remove(name); }

void remove_temporaries_and_kept(WriteFolder& folder, const std::vector<Entry>& entries) {
  for (const Entry& e : entries) {
    remove_quietly(folder, e.temporary);
    if (e.kept) remove_quietly(folder, *e.kept);
  }
}

// Keeps the earlier file `name` under a second name until the set is in
// place: a second link to it where the file system has them, otherwise a
// copy. Either way the earlier file stays at its name until its rename.
StepFailure keep_aside(WriteFolder& folder, const std::string& name, const std::string& kept) {
  if (!folder.link(name, kept)) return std::nullopt;
  const std::optional<std::string> bytes = folder.read(name);
  if (!bytes) return "the earlier file cannot be read to be kept aside";
  return folder.write_new(kept, *bytes);
}

std::string journal_text(const std::vector<Entry>& entries) {
  std::string text = std::string(kJournalFirstLine) + "\n";
  for (const Entry& e : entries) text += e.name + "/" + e.temporary + "/" + e.kept.value_or("") + "\n";
  return text;
}

// The entries of a journal, or none when it is not one this system wrote.
std::optional<std::vector<Entry>> parse_journal(std::string_view text) {
  if (!text.starts_with(std::string(kJournalFirstLine) + "\n")) return std::nullopt;
  text.remove_prefix(kJournalFirstLine.size() + 1);
  std::vector<Entry> entries;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    const std::size_t first = line.find('/');
    const std::size_t second = first == std::string_view::npos ? first : line.find('/', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    Entry e{std::string(line.substr(0, first)), std::string(line.substr(first + 1, second - first - 1)), {}};
    if (second + 1 < line.size()) e.kept = std::string(line.substr(second + 1));
    const auto belongs = [&](const std::string& leftover) {
      return is_plain_name(leftover) && name_of_leftover(leftover) == std::string_view(e.name);
    };
    if (!is_plain_name(e.name) || !is_build_file(e.name) || !belongs(e.temporary) || (e.kept && !belongs(*e.kept))) {
      return std::nullopt;
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

// Puts the earlier set back: each kept file over its target (with a second
// link the target may already be it: the rename then does nothing and the
// second name goes), a target that had no earlier file removed, every
// temporary removed, and, once all that is flushed, the journal. Safe to
// repeat after a kill at any point. The first step that failed, if any: the
// journal then stays for the next run.
StepFailure undo(WriteFolder& folder, const std::vector<Entry>& entries) {
  StepFailure first;
  const auto note = [&](StepFailure failure) {
    if (failure && !first) first = std::move(failure);
  };
  for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
    if (e->kept) {
      if (folder.is_file(*e->kept)) note(folder.rename(*e->kept, e->name));
      if (!first) note(folder.remove(*e->kept));
    } else if (folder.is_file(e->name)) {
      note(folder.remove(e->name));
    }
  }
  for (const Entry& e : entries) note(folder.remove(e.temporary));
  if (!first) note(folder.sync());
  if (!first) note(folder.remove(std::string(kJournalName)));
  return first;
}

void replace_one(WriteFolder& folder, const NewFile& file) {
  const std::string temporary = name_beside(file.name, kTemporaryEnding);
  StepFailure failure = folder.write_new(temporary, file.bytes);
  if (!failure) failure = folder.rename(temporary, file.name);
  if (failure) {
    remove_quietly(folder, temporary);
    throw FileWriteFailure(folder.path_of(file.name), *failure);
  }
  // A folder that cannot be flushed leaves the file in place all the same;
  // only its lasting a power cut is less sure.
  folder.sync();
}

}  // namespace

bool is_replacement_leftover(std::string_view name) {
  if (name == kJournalName) return true;
  const auto inner = name_of_leftover(name);
  return inner && is_build_file(*inner);
}

void replace_file(const fs::path& target, std::string_view bytes) {
  DiskWriteFolder folder(target.parent_path());
  const NewFile file{utf8_of_path(target.filename()), bytes};
  replace_one(folder, file);
}

void replace_files(WriteFolder& folder, std::span<const NewFile> files) {
  if (files.size() == 1) return replace_one(folder, files.front());

  std::vector<Entry> entries;
  const auto abandon = [&](const std::string& name, const std::string& reason) {
    remove_temporaries_and_kept(folder, entries);
    throw FileWriteFailure(folder.path_of(name), reason);
  };
  for (const NewFile& file : files) {
    Entry e{file.name, name_beside(file.name, kTemporaryEnding), std::nullopt};
    if (const StepFailure failure = folder.write_new(e.temporary, file.bytes)) abandon(file.name, *failure);
    entries.push_back(std::move(e));
  }
  for (Entry& e : entries) {
    if (!folder.is_file(e.name)) continue;
    e.kept = name_beside(e.name, kKeptEnding);
    if (const StepFailure failure = keep_aside(folder, e.name, *e.kept)) {
      e.kept.reset();  // a failed second link or copy leaves nothing under the kept name
      abandon(e.name, *failure);
    }
  }

  const std::string journal(kJournalName);
  const std::string journal_temporary = name_beside(journal, kTemporaryEnding);
  StepFailure failure = folder.write_new(journal_temporary, journal_text(entries));
  if (!failure) failure = folder.rename(journal_temporary, journal);
  if (!failure) failure = folder.sync();
  if (failure) {
    remove_quietly(folder, journal_temporary);
    remove_quietly(folder, journal);
    abandon(journal, *failure);
  }

  // The renames back to back: the only window in which the folder holds part
  // of each set, and the journal covers it.
  for (const Entry& e : entries) {
    if (const StepFailure renamed = folder.rename(e.temporary, e.name)) {
      undo(folder, entries);
      throw FileWriteFailure(folder.path_of(e.name), *renamed);
    }
  }
  failure = folder.sync();
  if (!failure) failure = folder.remove(journal);
  if (failure) {
    undo(folder, entries);
    throw FileWriteFailure(folder.path_of(entries.back().name), *failure);
  }
  folder.sync();
  for (const Entry& e : entries) {
    if (e.kept) remove_quietly(folder, *e.kept);
  }
}

void recover_folder(WriteFolder& folder) {
  const std::string journal(kJournalName);
  if (folder.is_file(journal)) {
    const std::optional<std::string> text = folder.read(journal);
    const auto entries = text ? parse_journal(*text) : std::nullopt;
    // A journal is written whole under its name or not at all: one that
    // cannot be read as one is not this system's, and goes.
    if (entries) {
      if (const StepFailure failure = undo(folder, *entries)) throw FileWriteFailure(folder.path_of(journal), *failure);
    } else if (const StepFailure failure = folder.remove(journal)) {
      throw FileWriteFailure(folder.path_of(journal), *failure);
    }
  }
  for (const std::string& name : folder.names()) {
    if (name != journal && is_replacement_leftover(name)) remove_quietly(folder, name);
  }
}

}  // namespace scenario
