#pragma once

#include <optional>
#include <string>
#include <vector>

namespace plovane {

// Where the program keeps and finds its files, following the XDG base directories.
namespace paths {

// $HOME, or the password database's home folder, or "/" when neither is known.
std::string home();
// $XDG_CONFIG_HOME when set to an absolute path, else ~/.config.
std::string configHome();
// $XDG_DATA_HOME when set to an absolute path, else ~/.local/share.
std::string dataHome();
// The XDG data folders in lookup order: the data home, then each absolute folder of
// $XDG_DATA_DIRS (default /usr/local/share and /usr/share).
std::vector<std::string> dataDirs();
// The folder of our settings store: <config home>/plovane.
std::string settingsDir();
// The process's working folder ("." when it cannot be read).
std::string currentDirectory();
// The data folder that goes with the running executable: <prefix>/share/plovane when it
// lies in <prefix>/bin (an installed program), or the working copy's TessivarNative when
// it is the program this build tree made, wherever it is started from; nothing when
// neither folder exists.
std::optional<std::string> programDataDir();
// The folders looked in for the program's data, in order: those programDataDir() would
// take, then the current directory + "/TessivarNative".
std::vector<std::string> dataDirCandidates();

} // namespace paths
} // namespace plovane
