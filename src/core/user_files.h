// Where an installed program keeps what a person may change. The shipped program files lie in a
// read-only share folder; a folder the program writes to (the macros, whose names file is
// rewritten) is copied once into the user's data folder and used from there. Run from the build
// tree, a program has no user folder and keeps to the files beside it.
#pragma once

#include <filesystem>
#include <string>

namespace core {

// $XDG_DATA_HOME/seisbench, or ~/.local/share/seisbench when that is unset or not absolute;
// empty when neither variable gives a folder. Either argument may be null.
std::filesystem::path user_data_dir(const char* xdg_data_home, const char* home);

// The user folder of a program that found its files in resource_dir: none when they lie beside
// the program (the build tree), else user_data_dir() from the environment.
std::filesystem::path user_dir_for(const std::filesystem::path& resource_dir,
                                   const std::filesystem::path& executable_dir);

// The folder `name` to read and write: user_dir/name, copied whole from shipped_dir/name the
// first time. The shipped folder itself when user_dir is empty or the copy cannot be made (a
// half-made copy is never left behind).
std::filesystem::path writable_folder(const std::filesystem::path& shipped_dir,
                                      const std::filesystem::path& user_dir,
                                      const std::string& name);

// The file `name` from the user's folder when it holds one, else from the shipped folder.
std::filesystem::path user_or_shipped(const std::filesystem::path& shipped_dir,
                                      const std::filesystem::path& user_dir,
                                      const std::string& name);

}  // namespace core
