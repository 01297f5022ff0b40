#pragma once
// The folder of the running program, from which the data tree is searched.

#include <string>

namespace wavix {

// Everything up to and including the last '/': "/opt/x/wavix" gives "/opt/x/",
// "/wavix" gives "/", a bare name gives "".
std::string FolderOf(const std::string& file);

// The folder of the running executable with a trailing '/'; the current
// folder when the executable cannot be found.
std::string ProgramFolder();

} // namespace wavix
