#include "platform/core/ShellRequest.h"

#include <cstring>

std::vector<std::string> SplitPathList(const char* list) {
    std::vector<std::string> paths;
    if (!list)
        return paths;
    for (const char* p = list; *p; p += std::strlen(p) + 1)
        paths.emplace_back(p);
    return paths;
}
