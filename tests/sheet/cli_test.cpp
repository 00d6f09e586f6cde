// zeva-sheet as a user runs it: exit statuses, standard output and error, files written.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path) {
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

    // Runs the program with the arguments (shell words) and, when given, a PATH of its own.
    Outcome run(const std::string& arguments, const std::string& path = "") const {
        const std::string command = "cd '" + folder.string() + "' && " +
                                    (path.empty() ? "" : "PATH='" + path + "' ") +
                                    "'" ZEVA_SHEET_PROGRAM "' " + arguments + " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(folder / "out.txt"),
                slurp(folder / "err.txt")};
    }

    fs::path folder;
};

TEST_F(Cli, the_typical_sheet_on_standard_output) {
    const Outcome result = run("--elements multi --frequency 144 --diameter 1/2");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("八木天线下料表"), std::string::npos);
    EXPECT_NE(result.out.find("反射器         3.3118      100.94  3' 3 47/64\""), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("天线杆长度：37.4851 ft, 1142.570 cm"), std::string::npos);
}

TEST_F(Cli, csv_and_json_hold_every_element) {
    const Outcome csv = run("-f 144 -d 10 --format csv --lang en");
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.rfind("element,length ft,length cm,tape,", 0), 0u);
    EXPECT_NE(csv.out.find("\r\ndirector 21,2.6791,81.661,\"2' 8 5/32\"\"\",1.7350,"),
              std::string::npos)
        << csv.out;
    std::size_t lines = 0;
    for (const char ch : csv.out) lines += ch == '\n' ? 1 : 0;
    EXPECT_EQ(lines, 1 + 23 + 1u);

    const Outcome json = run("-f 144 -d 10 --format json");
    ASSERT_EQ(json.status, 0) << json.err;
    std::size_t names = 0;
    for (std::size_t at = json.out.find("\"name\""); at != std::string::npos;
         at = json.out.find("\"name\"", at + 1)) {
        ++names;
    }
    EXPECT_EQ(names, 23u);
    EXPECT_NE(json.out.find("{\"name\": \"反射器\", \"length_ft\": 3.3118, \"length_cm\": 100.94, "
                            "\"tape\": \"3' 3 47/64\\\"\", \"spacing_ft\": null"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"boom\": {\"length_ft\": 37.4851, \"length_cm\": 1142.570}"),
              std::string::npos);
}

TEST_F(Cli, help_and_usage_mistakes) {
    const Outcome help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--frequency"), std::string::npos);
    const Outcome english = run("--help --lang en");
    EXPECT_EQ(english.out.rfind("Usage: zeva-sheet", 0), 0u);

    const Outcome wrong = run("-f 144 -d 1/2 --colour");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "zeva-sheet: 未知的选项：--colour\nzeva-sheet --help\n");
}

TEST_F(Cli, engine_errors_name_the_option) {
    const Outcome zero = run("-f 0 -d 1/2 --nec zero.nec");
    EXPECT_EQ(zero.status, 1);
    EXPECT_EQ(zero.out, "");
    EXPECT_EQ(zero.err, "zeva-sheet: 频率必须大于零：--frequency\n");
    EXPECT_FALSE(fs::exists(folder / "zero.nec"));

    const Outcome lettered = run("-f 144 -d 1/2 --smallest abc --lang en");
    EXPECT_EQ(lettered.status, 1);
    EXPECT_EQ(lettered.err, "zeva-sheet: not a number: --smallest\n");
}

TEST_F(Cli, writes_the_deck_whole) {
    const Outcome result = run("-e 3 -f 14.2 -d 14 --nec design.nec");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(slurp(folder / "design.nec"), slurp(ZEVA_SHEET_DATA_DIR "/three_elements_14_2.nec"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 3)
        << "only out.txt, err.txt and the deck";

    const Outcome nowhere = run("-e 3 -f 14.2 -d 14 --nec no/such/folder/design.nec --lang en");
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.err, "zeva-sheet: cannot write no/such/folder/design.nec\n");
}

TEST_F(Cli, without_nec2c_the_analysis_says_so_and_writes_nothing) {
    const Outcome result =
        run("-e 3 -f 14.2 -d 14 --nec design.nec --analyse --plot p.svg", "/nonexistent");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "zeva-sheet: 找不到 nec2c：请安装 Debian 软件包 nec2c\n");
    EXPECT_FALSE(fs::exists(folder / "design.nec"));
    EXPECT_FALSE(fs::exists(folder / "p.svg"));
}

// A stand-in nec2c first on PATH that runs the given shell lines; $out is its output file.
void standIn(const fs::path& folder, const std::string& body) {
    fs::create_directories(folder / "bin");
    const fs::path script = folder / "bin" / "nec2c";
    std::ofstream(script) << "#!/bin/sh\nout=${2#-o}\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
}

TEST_F(Cli, a_failing_nec2c_is_reported_and_nothing_is_written) {
    const std::string path = (folder / "bin").string() + ":/usr/bin:/bin";
    const struct {
        const char* body;
        const char* message;
    } cases[] = {
        {"exit 3", "nec2c failed with exit status 3"},
        {"kill -9 $$", "nec2c was ended by signal 9"},
        {": > \"$out\"", "nec2c wrote no output"},
        {"echo 'nothing like a NEC report' > \"$out\"",
         "the nec2c output lacks the sweep or the patterns"},
    };
    for (const auto& c : cases) {
        standIn(folder, c.body);
        const Outcome result =
            run("-e 3 -f 14.2 -d 14 --nec design.nec --analyse --plot p.svg --lang en", path);
        EXPECT_EQ(result.status, 1) << c.body;
        EXPECT_EQ(result.out, "") << c.body;
        EXPECT_EQ(result.err, std::string("zeva-sheet: ") + c.message + "\n") << c.body;
        EXPECT_FALSE(fs::exists(folder / "design.nec")) << c.body;
        EXPECT_FALSE(fs::exists(folder / "p.svg")) << c.body;
    }
}

TEST_F(Cli, the_analysis_and_its_plot) {
    if (std::system("command -v nec2c >/dev/null 2>&1") != 0) {
        if (std::getenv("CI") != nullptr) FAIL() << "nec2c is not installed";
        GTEST_SKIP() << "nec2c not installed";
    }
    const Outcome result = run("-e 3 -f 14.2 -d 14 --analyse --plot p.svg --lang en");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("forward gain: 7.60 dBi"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("feed-point impedance: 47.76 + j9.70 ohm"), std::string::npos);
    EXPECT_NE(result.out.find("      14.200 MHz  1.23\n"), std::string::npos);
    const std::string svg = slurp(folder / "p.svg");
    EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_NE(svg.find(">E-plane<"), std::string::npos);
    EXPECT_NE(svg.find(">H-plane<"), std::string::npos);
    EXPECT_NE(svg.find(" dBi</text>"), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

}  // namespace
