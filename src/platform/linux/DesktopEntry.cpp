#include "linux/DesktopEntry.h"

#include <vector>

namespace velmora {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string escapeString(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string unescapeString(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += text[i];
        }
    }
    return out;
}

std::string undoubledPercents(std::string_view argument) {
    std::string out;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        out += argument[i];
        if (argument[i] == '%' && i + 1 < argument.size() && argument[i + 1] == '%') {
            ++i;
        }
    }
    return out;
}

// Splits an unescaped command line into its arguments; nothing when a quote is left open or
// a quoted argument runs into the next one.
std::optional<std::vector<std::string>> splitArguments(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i == line.size()) {
            return arguments;
        }
        std::string argument;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size() &&
                    kEscapedInQuotes.find(line[i + 1]) != std::string_view::npos) {
                    ++i;
                }
                argument += line[i];
            }
            if (i == line.size() ||
                (i + 1 < line.size() && line[i + 1] != ' ' && line[i + 1] != '\t')) {
                return std::nullopt;
            }
            ++i;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
                argument += line[i++];
            }
        }
        arguments.push_back(undoubledPercents(argument));
    }
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string quoteExecValue(std::string_view program) {
    const bool quote =
        program.empty() || program.find_first_of(kReserved) != std::string_view::npos;
    std::string argument = quote ? "\"" : "";
    for (const char c : program) {
        if (c == '%') {
            argument += '%';
        } else if (quote && kEscapedInQuotes.find(c) != std::string_view::npos) {
            argument += '\\';
        }
        argument += c;
    }
    if (quote) {
        argument += '"';
    }
    return escapeString(argument);
}

std::string unquoteExecValue(std::string_view execValue) {
    std::string line = unescapeString(execValue);
    const auto arguments = splitArguments(line);
    if (arguments && arguments->size() == 1) {
        return arguments->front();
    }
    return line;
}

std::string desktopEntryText(std::string_view command) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Velmora\n"
           "Exec=" +
           quoteExecValue(command) +
           "\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::optional<std::string> desktopEntryCommand(std::string_view entryText) {
    bool inMainGroup = false;
    while (!entryText.empty()) {
        const std::size_t end = entryText.find('\n');
        std::string_view line = entryText.substr(0, end);
        entryText.remove_prefix(end == std::string_view::npos ? entryText.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty() && line.front() == '[') {
            inMainGroup = trimmed(line) == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inMainGroup && equals != std::string_view::npos &&
            trimmed(line.substr(0, equals)) == "Exec") {
            return unquoteExecValue(trimmed(line.substr(equals + 1)));
        }
    }
    return std::nullopt;
}

}  // namespace velmora
