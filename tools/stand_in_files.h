#pragma once

// The output side the stand-in writers share: the folder named on the command line and whole
// files written into it, each reported.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string_view>

namespace korvanne::tools {

// The one argument, a folder, created when missing; nothing (after saying why) otherwise.
inline std::optional<std::filesystem::path> outputFolder(int argc, char** argv, const char* what) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <" << what << " folder>\n";
        return std::nullopt;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::cerr << "cannot create " << folder << ": " << ec.message() << "\n";
        return std::nullopt;
    }
    return folder;
}

// Writes `content` as the whole file; says what was written, or why it could not be.
inline bool writeWhole(const std::filesystem::path& path, std::string_view content,
                       const char* unit) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), std::streamsize(content.size()));
    out.close();
    if (!out) {
        std::cerr << "cannot write " << path << "\n";
        return false;
    }
    std::cout << "wrote " << path << " (" << content.size() << " " << unit << ")\n";
    return true;
}

}  // namespace korvanne::tools
