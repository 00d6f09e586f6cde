// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "sheet/render.h"

namespace zeva::sheet {

namespace {

// The path itself, not what a link points to: /dev/stdout is a link, and a rename over it
// would replace the link.
bool isOtherThanRegularFile(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

bool writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

std::optional<Failure> writeAll(const std::vector<OutputFile>& files, Language language) {
    const auto cannot = [language](const std::string& path) {
        return Failure{say(language, "cannot write %1", {path})};
    };
    // Every target is checked before any is replaced: a folder cannot take a file's place.
    for (const OutputFile& file : files) {
        std::error_code error;
        if (std::filesystem::is_directory(file.path, error)) return cannot(file.path);
    }
    // Decided once, before anything is written: afterwards a renamed file is regular.
    std::vector<bool> inPlace;
    for (const OutputFile& file : files) inPlace.push_back(isOtherThanRegularFile(file.path));
    std::vector<std::string> temporaries(files.size());
    const auto removeTemporaries = [&temporaries] {
        for (const std::string& temporary : temporaries) {
            std::error_code ignored;
            if (!temporary.empty()) std::filesystem::remove(temporary, ignored);
        }
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (inPlace[i]) continue;  // written in place, last
        temporaries[i] = files[i].path + ".partial-" + std::to_string(getpid());
        if (!writeFile(temporaries[i], files[i].content)) {
            removeTemporaries();
            return cannot(files[i].path);
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (temporaries[i].empty()) continue;
        std::error_code error;
        std::filesystem::rename(temporaries[i], files[i].path, error);
        if (error) {
            removeTemporaries();
            return cannot(files[i].path);
        }
        temporaries[i].clear();
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (inPlace[i] && !writeFile(files[i].path, files[i].content)) return cannot(files[i].path);
    }
    return std::nullopt;
}

}  // namespace zeva::sheet
