#pragma once
// Opens the stub file in a text editor without waiting for it: the user's $VISUAL, else
// $EDITOR in a terminal, else the desktop's default opener.

#include <string>

namespace app {

// False when no editor could be started.
bool StartStubEditor(const std::string& path);

}  // namespace app
