// The per-user data folder, where the best times, the history and the CSV export are kept.
#pragma once

#include <string>

// The data folder (from the host) and the path of the file `name` in it. False when the
// folder is unknown, or the path too long for the system to open.
bool dataFolderFile(const char* name, std::string& folder, std::string& path);
