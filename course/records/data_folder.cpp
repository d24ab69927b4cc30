#include "course/records/data_folder.h"

#include "engine/host.h"
#include "platform/platform.h"

bool dataFolderFile(const char* name, std::string& folder, std::string& path) {
    folder.clear();
    path.clear();
    if (!host.userDataFolder(folder) || folder.empty()) return false;
    path = folder;
    if (path.back() != platform::pathSeparator()) path += platform::pathSeparator();
    path += name;
    return platform::pathFits(path);
}
