#pragma once
// An installed program (PREFIX/bin/wavix) cannot write below PREFIX, so it
// works on a per-user copy of the shipped tree PREFIX/share/wavix/Data/:
// $XDG_DATA_HOME/wavix/Data/, or ~/.local/share/wavix/Data/. The copy is made
// on the first start and topped up on every later one with what a newer
// version ships; a file the user has is never replaced. A tree beside the
// program (portable layout, build folders) still wins over all of this.

#include <cstddef>
#include <filesystem>
#include <string>

namespace wavix {

// The environment the choice depends on, passed in so that tests can drive it.
struct DataTreeEnvironment {
    std::string home;        // $HOME
    std::string xdgDataHome; // $XDG_DATA_HOME
};

// $HOME and $XDG_DATA_HOME of this process.
DataTreeEnvironment ProcessDataTreeEnvironment();

enum class DataTreeState {
    Given,    // named on the command line, taken as it is
    Beside,   // Data/ beside the program
    NotFound, // none beside the program and not an installed prefix
    InUse,    // the per-user tree, nothing to add
    Created,  // the per-user tree, made on this start
    Added,    // the per-user tree, topped up from the shipped one
    Failed,   // an installed prefix, but no per-user tree could be made
};

struct DataTreeResult {
    DataTreeState state = DataTreeState::NotFound;
    std::string dataDir;    // the tree to use, ending in '/'; empty when NotFound or Failed
    std::string shippedDir; // PREFIX/share/wavix/Data/ of an installed program
    std::size_t filesAdded = 0;
    // Why it Failed; with a tree to use, what could not be added to it.
    std::string problem;
};

// PREFIX/share/wavix/Data/ when programFolder is PREFIX/bin and that folder
// exists; empty otherwise.
std::string ShippedDataDirectory(const std::string& programFolder);

// $XDG_DATA_HOME/wavix/Data/ when XDG_DATA_HOME is absolute, else
// $HOME/.local/share/wavix/Data/; empty when HOME is not absolute either.
std::string UserDataDirectory(const DataTreeEnvironment& env);

struct TreeCopy {
    std::size_t files = 0; // files copied before the first failure
    std::string problem;   // empty when everything missing was copied
};

// Copies into `to` each file and folder of `from` that `to` lacks, stopping at
// the first failure. A copy is owner-writable (files 0644, folders 0755) and
// appears under its name only when complete, so an interrupted copy is
// completed by the next call and never mistaken for the user's own file.
TreeCopy AddMissingFiles(const std::filesystem::path& from, const std::filesystem::path& to);

// The data tree of a program in programFolder: the one beside it, else the
// per-user tree of an installed program, made or topped up as needed.
DataTreeResult SetUpDataDirectory(const std::string& programFolder, const DataTreeEnvironment& env);
// The same for the running program and the process environment.
DataTreeResult SetUpDataDirectory();

// True when this start made or topped up the per-user tree, or could not
// add everything to it: what the user is told once.
bool IsDataTreeNews(const DataTreeResult& result);

// What happened, in one line of English: for stderr, and for the box when no
// tree can be used.
std::string DataTreeReport(const DataTreeResult& result);

} // namespace wavix
