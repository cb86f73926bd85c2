#include "win/WinKnownFolder.h"

namespace velmora {

std::filesystem::path knownFolderPath(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(id, 0, nullptr, &path);
    std::filesystem::path folder;
    if (SUCCEEDED(result) && path != nullptr) {
        folder = path;
    }
    ::CoTaskMemFree(path);  // also when the call failed
    return folder;
}

}  // namespace velmora
