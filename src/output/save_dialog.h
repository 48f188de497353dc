// The "Save Graphic" dialog shared by the commands that write a file.
#pragma once
#include <windows.h>

#include <string>

#include "base/failure.h"

namespace snarvik {

// Shows the save dialog owned by `owner`, offering `defaultName` in `folder` (empty: the current
// directory). The filter follows the default name's last three characters. The chosen path with
// trailing blanks removed; neither a path nor a failure when the user cancelled. The process's
// current directory stays as it was: no folder the user saved into is held open.
Result<std::string> ShowSaveDialog(HWND owner, const std::string& defaultName,
                                   const std::string& folder);

} // namespace snarvik
