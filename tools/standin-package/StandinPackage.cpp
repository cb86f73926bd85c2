// A stand-in definitions package for the Windows edition, served by tools/sample-mirror.
//
// One program serves every version: the mirror appends a trailer line to its bytes,
//   VELMORA-STANDIN name=20041114-017 flavour=i32 seconds=0 installs=1
// which the program reads from the end of its own file (Windows runs a PE file with data
// appended). Started with exactly "/q" it waits `seconds`, then, when `installs` is 1, creates
// the definitions folder of its version (20041114.017) with a "flavour" file in it under
// %VELMORA_COMMON_FILES%\Corvane Shared\Definitions\, else under the 32-bit common program
// files folder. Exit status: 0 done, 1 no trailer or nothing could be made, 2 any other arguments.
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTrailerMark = "VELMORA-STANDIN ";
// The trailer is one short line; this much of the file's end always holds it.
constexpr std::streamoff kTailBytes = 1024;

struct Trailer {
    std::string name;
    std::string flavour;
    double seconds = 0;
    bool installs = false;
};

std::optional<fs::path> ownPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return fs::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string readTail(const fs::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) {
        return {};
    }
    const std::streamoff size = in.tellg();
    const std::streamoff start = size > kTailBytes ? size - kTailBytes : 0;
    std::string tail(static_cast<std::size_t>(size - start), '\0');
    in.seekg(start);
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    return in ? tail : std::string();
}

// "key=value" words separated by single spaces, up to the end of the line.
std::map<std::string, std::string> parseWords(std::string_view line) {
    std::map<std::string, std::string> words;
    while (!line.empty()) {
        const std::size_t end = std::min(line.find(' '), line.size());
        const std::string_view word = line.substr(0, end);
        const std::size_t equals = word.find('=');
        if (equals != std::string_view::npos) {
            words.emplace(word.substr(0, equals), word.substr(equals + 1));
        }
        line.remove_prefix(std::min(end + 1, line.size()));
    }
    return words;
}

std::optional<Trailer> parseTrailer(const std::string& tail) {
    const std::size_t mark = tail.rfind(kTrailerMark);
    if (mark == std::string::npos) {
        return std::nullopt;
    }
    std::string_view line(tail);
    line.remove_prefix(mark + kTrailerMark.size());
    line = line.substr(0, line.find_first_of("\r\n"));
    auto words = parseWords(line);
    Trailer trailer;
    trailer.name = words["name"];
    trailer.flavour = words["flavour"];
    trailer.installs = words["installs"] == "1";
    const std::string& seconds = words["seconds"];
    const auto [end, error] =
        std::from_chars(seconds.data(), seconds.data() + seconds.size(), trailer.seconds);
    // The folder name is the package name with its '-' turned into a '.'.
    const bool nameFits = trailer.name.size() > 9 && trailer.name[8] == '-' &&
                          trailer.name.find_first_of("\\/:") == std::string::npos;
    if (!nameFits || trailer.flavour.empty() || error != std::errc() ||
        end != seconds.data() + seconds.size() || !(trailer.seconds >= 0)) {
        return std::nullopt;
    }
    return trailer;
}

struct CoTaskMemFreer {
    void operator()(wchar_t* text) const { ::CoTaskMemFree(text); }
};

std::optional<fs::path> commonFilesFolder() {
    if (const wchar_t* overridden = ::_wgetenv(L"VELMORA_COMMON_FILES");
        overridden && *overridden) {
        return fs::path(overridden);
    }
    wchar_t* found = nullptr;
    // Where the vendor's 32-bit packages install, and where Velmora looks.
    const HRESULT result =
        ::SHGetKnownFolderPath(FOLDERID_ProgramFilesCommonX86, 0, nullptr, &found);
    const std::unique_ptr<wchar_t, CoTaskMemFreer> owned(found);
    if (FAILED(result)) {
        return std::nullopt;
    }
    return fs::path(owned.get());
}

bool install(const Trailer& trailer) {
    const auto common = commonFilesFolder();
    if (!common) {
        return false;
    }
    const std::string folderName = trailer.name.substr(0, 8) + "." + trailer.name.substr(9);
    const fs::path folder = *common / L"Corvane Shared" / L"Definitions" / folderName;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        return false;
    }
    // The same bytes as the Linux stand-ins write, so that a test reads one form.
    std::ofstream flavour(folder / L"flavour", std::ios::binary | std::ios::trunc);
    flavour << trailer.flavour << '\n';
    flavour.close();
    return !flavour.fail();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 || std::wstring_view(argv[1]) != L"/q") {
        return 2;
    }
    const auto self = ownPath();
    const auto trailer = self ? parseTrailer(readTail(*self)) : std::nullopt;
    if (!trailer) {
        return 1;
    }
    if (trailer->seconds > 0) {
        ::Sleep(static_cast<DWORD>(std::lround(trailer->seconds * 1000)));
    }
    if (trailer->installs && !install(*trailer)) {
        return 1;
    }
    return 0;
}
