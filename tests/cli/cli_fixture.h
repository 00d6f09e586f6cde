// SPDX-License-Identifier: MIT
// zeva-sheet as a user runs it: exit statuses, standard output and error, files written.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/have_nec2c.h"

namespace zeva::cli_test {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Cli : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("zeva-sheet-test-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs the program with the arguments (shell words) and, when given, a PATH of its own,
    // in a Chinese locale unless the environment (shell assignments) says otherwise.
    Outcome run(const std::string& arguments, const std::string& path = "",
                const std::string& environment = "LC_ALL=zh_CN.UTF-8") const {
        const std::string command = "cd '" + folder.string() + "' && " +
                                    (path.empty() ? "" : "PATH='" + path + "' ") + "/usr/bin/env " +
                                    environment + " '" ZEVA_SHEET_PROGRAM "' " + arguments +
                                    " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(folder / "out.txt"),
                slurp(folder / "err.txt")};
    }

    fs::path folder;
};

// A stand-in nec2c first on PATH that runs the given shell lines; $out is its output file.
inline void standIn(const fs::path& folder, const std::string& body) {
    fs::create_directories(folder / "bin");
    const fs::path script = folder / "bin" / "nec2c";
    std::ofstream(script) << "#!/bin/sh\nout=${2#-o}\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
}

}  // namespace zeva::cli_test
