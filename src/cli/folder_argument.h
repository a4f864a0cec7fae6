// cli/folder_argument.h: a folder as the command takes it from its arguments, before the run
// request's rules (job/run_request.h) judge it.
#pragma once

#include <string>

namespace tessel::cli {

// `path` as the folder it names. On Windows "/" is a separator too. "out/" names the folder
// "out": the window's rule (a path ending in a separator is no folder) is about typed paths,
// and a shell's completion adds the separator for you. With `bareNameIsRelative` (the
// destination) a bare name ("out") is a folder in the current one: the window never sees
// relative paths, and its rule would call every missing bare name invalid.
std::string FolderArgument(std::string path, bool bareNameIsRelative);

}  // namespace tessel::cli
