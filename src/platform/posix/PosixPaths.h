// Where the desktop build keeps its files: XDG base folders of the user, created on demand (plat::MakeDirs).
#pragma once

#include <string>

namespace plat::posix {

// $HOME when it is an absolute path, else the account's home folder; empty when neither is.
std::string UserHome();
// $XDG_CONFIG_HOME (an absolute path) or ~/.config, then "/morgrave".
std::string ConfigDir();
// $XDG_STATE_HOME (an absolute path) or ~/.local/state, then "/morgrave".
std::string StateDir();

}  // namespace plat::posix
