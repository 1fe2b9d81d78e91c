#include "core/command_line.h"

namespace korvanne {

std::string windowsCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += ' ';
        line += '"';
        std::size_t backslashes = 0;
        for (char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            // Backslashes double only before a quote; elsewhere they stand for themselves.
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        // Before the closing quote, backslashes double so they do not escape it.
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

}  // namespace korvanne
