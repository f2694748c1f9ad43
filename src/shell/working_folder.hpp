// The folder the user last worked in, kept in "Settings" as WorkingDrive
// (the drive name, empty where paths have none) and WorkingDir.
#pragma once

#include "shell/settings.hpp"

namespace kestrel {

// Makes the stored folder the current one; false when none is stored or it
// no longer exists (the current folder then stays).
bool restoreWorkingFolder(const Settings& settings);
// Stores the current folder.
void rememberWorkingFolder(Settings& settings);

}  // namespace kestrel
