#include "toolkit/resource_paths_win.h"

#include <string>

namespace resource_paths {
namespace {

HINSTANCE theInstance = nullptr;
CDuiString theResourcePath;

}  // namespace

void SetInstance(HINSTANCE instance) {
    theInstance = instance;
}

HINSTANCE Instance() {
    return theInstance;
}

CDuiString InstancePath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(theInstance, path, MAX_PATH);
    std::string folder = path;
    size_t slash = folder.find_last_of("\\/");
    return folder.substr(0, slash == std::string::npos ? 0 : slash + 1);
}

void SetResourcePath(const char* path) {
    std::string text = path ? path : "";
    if (!text.empty() && text.back() != '\\' && text.back() != '/') text += '\\';
    theResourcePath = text;
}

const CDuiString& ResourcePath() {
    return theResourcePath;
}

}  // namespace resource_paths
