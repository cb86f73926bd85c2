// A stand-in definitions package for the Windows edition, served by tools/sample-mirror.
//
// One program serves every version: the mirror appends a trailer line to its bytes,
//   VELMORA-STANDIN name=20041114-017 flavour=i32 seconds=0 installs=1
// which the program reads from the end of its own file (Windows runs a PE file with data
// appended). Started with exactly "/q" it waits `seconds`, then, when `installs` is 1, creates
// the definitions folder of its version (20041114.017) with a "flavour" file in it under
// %VELMORA_COMMON_FILES%\Corvane Shared\Definitions\, else under the 32-bit common program
// files folder. Exit status: 0 done, 1 no trailer or nothing could be made, 2 any other arguments.
//
// With VELMORA_STANDIN_WHERE naming a file, the package writes its working folder and its
// command line there, a line each, as it starts.
//
// With VELMORA_PARENT_CPU_PROBE naming a file, the package appends the line "start" to it when
// it starts and "end" before it ends, and each time waits (up to 10 s) until a watcher outside
// has appended a line of its own: the watcher reads the waiting program's CPU time then, while
// the package still runs (bench/update-run-windows does).
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTrailerMark = "VELMORA-STANDIN ";
// The trailer is one short line, followed at most by an Authenticode signature: this much
// of the file's end always holds it.
constexpr std::streamoff kTailBytes = 64 * 1024;

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

std::size_t countLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Notes a moment for the watcher and waits for its answer line; without one after 10 s the
// package goes on, so that a missing watcher only loses the reading.
void markMoment(const fs::path& probe, std::string_view moment) {
    const std::size_t before = countLines(probe);
    {
        std::ofstream out(probe, std::ios::binary | std::ios::app);
        out << moment << '\n';
    }
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (countLines(probe) < before + 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
}

std::optional<fs::path> cpuProbe() {
    const wchar_t* probe = ::_wgetenv(L"VELMORA_PARENT_CPU_PROBE");
    return probe && *probe ? std::optional<fs::path>(probe) : std::nullopt;
}

void recordWhere() {
    const wchar_t* where = ::_wgetenv(L"VELMORA_STANDIN_WHERE");
    if (where == nullptr || *where == L'\0') {
        return;
    }
    std::error_code ignored;
    std::wofstream(fs::path(where)) << fs::current_path(ignored).wstring() << L"\n"
                                    << ::GetCommandLineW() << L"\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    recordWhere();
    if (argc != 2 || std::wstring_view(argv[1]) != L"/q") {
        return 2;
    }
    const auto self = ownPath();
    const auto trailer = self ? parseTrailer(readTail(*self)) : std::nullopt;
    if (!trailer) {
        return 1;
    }
    const auto probe = cpuProbe();
    if (probe) {
        markMoment(*probe, "start");
    }
    if (trailer->seconds > 0) {
        ::Sleep(static_cast<DWORD>(std::lround(trailer->seconds * 1000)));
    }
    if (probe) {
        markMoment(*probe, "end");
    }
    if (trailer->installs && !install(*trailer)) {
        return 1;
    }
    return 0;
}
