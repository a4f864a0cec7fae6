// files/copy_planner.h: copies one found file into the destination folder and settles
// name collisions: numbered names, overwriting, or the duplicates sub-folder. A copy keeps
// its name unless the name is taken. Keeps no state: the destination tree is the state, and
// every naming rule lives here once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "files/file_account.h"
#include "files/os/file_system.h"

namespace tessel {

// The job's duplicate handling, stored in its options word under the mask 2 | 4 | 8.
enum class DuplicateMode : std::uint32_t { Numbered = 2, Overwrite = 4, SeparateFolder = 8 };

// How many names a copy tries when each one it chose is taken by someone else (another
// program writing into the destination) before it is placed: past this it fails.
inline constexpr int PlacingAttempts = 1000;

// Copies `source` into `destinationFolder` by the rule of `mode` (any other value copies
// nothing and fails), and tells what became of it (the account's index is left 0):
// - numbered: the plain name, or base(n).ext for the first n whose name holds no file when the
//   plain name is taken by a file of another size (a file of the same size under the plain name
//   means the file is there: SameNameAndSize, nothing read). Before a number is taken, the
//   numbered names on the way that hold a file of the same size are compared with the source:
//   one that holds the same bytes means the file is there already (SameContent).
// - overwrite: the plain name, replacing a file of that name (`replaced` says so), but never a
//   folder, a read-only (Windows: hidden or system) file, or the source itself (Failed).
// - separate: the plain name, or, when it holds a file with other bytes, the rule of numbered
//   in the duplicates folder, made at the first collision (`madeFolder` then names it).
// A name that is taken by the time the copy is placed (someone else wrote it meanwhile) is
// decided again as the rule would have decided had that file stood there from the start, and
// the copy already written takes the new name. A folder of the chosen name refuses the copy.
// A stopped or failed copy leaves nothing.
// `sourceSize` is the size the scan found, when known: the same-size test then needs no
// look-up of the source (the worker's copies of a re-run cost one look-up each).
// `staged`, when given, is the copy's data written ahead (os::StageCopy into
// `destinationFolder`, with the same durability): it takes the name the rule gives, and is
// dropped when the rule copies nothing. Only its bytes went ahead: every name is chosen here.
FileAccount CopyFoundFile(const std::string& source, const std::string& destinationFolder,
                          DuplicateMode mode, std::stop_token stop = {},
                          std::optional<std::uint64_t> sourceSize = std::nullopt,
                          os::CopyDurability durability = os::CopyDurability::Cached,
                          std::unique_ptr<os::StagedCopy> staged = nullptr);

// The plain name of the copy of `source` in `destinationFolder` when it settles the file by
// itself, without a byte read: with numbered, a file of `size` stands there (SameNameAndSize).
// nullopt otherwise. The run asks it before it looks for the same bytes elsewhere, so that a
// re-run reads nothing.
std::optional<std::string> PlainNameHoldsSize(const std::string& source,
                                              const std::string& destinationFolder,
                                              DuplicateMode mode, std::uint64_t size);

}  // namespace tessel
