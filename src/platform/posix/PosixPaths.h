// Where the desktop build keeps its files: XDG base folders of the user, created on demand (plat::MakeDirs).
#pragma once

#include <string>

namespace plat::posix {

// $XDG_CONFIG_HOME (an absolute path) or ~/.config, then "/morgrave".
std::string ConfigDir();
// $XDG_STATE_HOME (an absolute path) or ~/.local/state, then "/morgrave".
std::string StateDir();

}  // namespace plat::posix
