#pragma once

#include <optional>
#include <string>

namespace plovane {

// Where the program keeps and finds its files, following the XDG base directories.
namespace paths {

// $HOME, or the password database's home folder, or "/" when neither is known.
std::string home();
// $XDG_CONFIG_HOME when set to an absolute path, else ~/.config.
std::string configHome();
// $XDG_DATA_HOME when set to an absolute path, else ~/.local/share.
std::string dataHome();
// The folder of our settings store: <config home>/plovane.
std::string settingsDir();
// The process's working folder ("." when it cannot be read).
std::string currentDirectory();
// <prefix>/share/plovane when the running executable lies in <prefix>/bin and that
// folder exists, i.e. when the program runs from an installed prefix; else nothing.
std::optional<std::string> installedDataDir();

} // namespace paths
} // namespace plovane
