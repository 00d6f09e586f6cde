// SPDX-License-Identifier: MIT
// zeva-sheet's files and processes: decks, geometry files, nec2c, all or nothing, signals.
#include <algorithm>
#include <thread>

#include "tests/cli/cli_fixture.h"
#include "tests/sanitized.h"

namespace zeva::cli_test {
namespace {

TEST_F(Cli, writes_the_deck_whole) {
    const Outcome result = run("-e 3 -f 14.2 -d 14 --nec design.nec");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string deck = slurp(folder / "design.nec");
    EXPECT_EQ(deck.rfind("CM zeva-sheet: Yagi-Uda, 3 elements, 14.2 MHz\n", 0), 0u) << deck;
    EXPECT_NE(deck.find("GW 3 23 8.94789744874 -4.67694152269 0 8.94789744874 4.67694152269 0 "
                        "0.0127\n"),
              std::string::npos)
        << deck;
    EXPECT_NE(deck.find("EX 0 2 13 0 1 0\n"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 3)
        << "only out.txt, err.txt and the deck";

    const Outcome nowhere = run("-e 3 -f 14.2 -d 14 --nec no/such/folder/design.nec --lang en");
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.err,
              "zeva-sheet: cannot write no/such/folder/design.nec: its folder does not exist\n");
}

TEST_F(Cli, the_analysis_needs_no_nec2c_unless_it_is_asked_for) {
    const Outcome builtin = run("-e 3 -f 14.2 -d 14 --analyse --lang en", "/nonexistent");
    EXPECT_EQ(builtin.status, 0) << builtin.err;
    EXPECT_NE(builtin.out.find("forward gain: 7.65 dBi"), std::string::npos) << builtin.out;
    EXPECT_EQ(run("-f 14.2 -d 14 -a --engine nec3").status, 2);

    const Outcome result =
        run("-e 3 -f 14.2 -d 14 --nec design.nec --analyse --engine nec2c --plot p.svg",
            "/nonexistent");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "zeva-sheet: 找不到 nec2c：请安装 Debian 软件包 nec2c（sudo apt install nec2c）\n");
    EXPECT_FALSE(fs::exists(folder / "design.nec"));
    EXPECT_FALSE(fs::exists(folder / "p.svg"));
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
         "the NEC-2 results lack the impedance or the patterns"},
    };
    for (const auto& c : cases) {
        standIn(folder, c.body);
        const Outcome result =
            run("-e 3 -f 14.2 -d 14 --nec design.nec --analyse --engine nec2c --plot p.svg "
                "--lang en",
                path);
        EXPECT_EQ(result.status, 1) << c.body;
        EXPECT_EQ(result.out, "") << c.body;
        EXPECT_EQ(result.err, std::string("zeva-sheet: ") + c.message + "\n") << c.body;
        EXPECT_FALSE(fs::exists(folder / "design.nec")) << c.body;
        EXPECT_FALSE(fs::exists(folder / "p.svg")) << c.body;
    }
}

TEST_F(Cli, a_design_saved_as_json_is_analysed_again_from_its_geometry) {
    const Outcome design = run("-e 3 -f 14.2 -d 14 --format json --analyse --lang en");
    ASSERT_EQ(design.status, 0) << design.err;
    std::ofstream(folder / "saved.json") << design.out;
    const Outcome again = run("--geometry saved.json --format json --analyse --lang en");
    ASSERT_EQ(again.status, 0) << again.err;
    const auto analysisOf = [](const std::string& json) {
        return json.substr(json.find("\"analysis\""));
    };
    EXPECT_EQ(analysisOf(again.out), analysisOf(design.out));

    const Outcome text = run("-g saved.json --lang en");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("driven element *     10.2693      5.7867        25.40"),
              std::string::npos)
        << text.out;
}

TEST_F(Cli, bad_geometry_files_and_taper_diameters_are_named) {
    std::ofstream(folder / "bad.json")
        << "{\n \"frequency_mhz\": 14.2,\n \"unit\": \"m\",\n \"elements\": [\n";
    const Outcome bad = run("--geometry bad.json --lang en");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "zeva-sheet: geometry file, line 5: not valid JSON\n");
    const Outcome missing = run("--geometry none.json --lang en");
    EXPECT_EQ(missing.err, "zeva-sheet: cannot read none.json\n");
    const Outcome mixed = run("--geometry bad.json -f 14.2 --lang en");
    EXPECT_EQ(mixed.status, 2);

    for (const char* taper : {"--largest -1", "--largest=0", "--smallest -0.5"}) {
        const Outcome refused = run(std::string("-e 3 -f 14.2 -d 14 --analyse --lang en ") + taper);
        EXPECT_EQ(refused.status, 2) << taper;
        EXPECT_NE(refused.err.find("the diameter must be above zero: --"), std::string::npos)
            << refused.err;
    }
}

// Inputs that once crashed the program or ran away with its memory, time or disk: refused
// with a message before any heavy work.
TEST_F(Cli, runaway_geometry_files_are_refused_before_any_work) {
    const auto refusal = [this](const std::string& file, const std::string& body) {
        if (!body.empty()) std::ofstream(folder / file) << body;
        const Outcome result = run("-g " + file + " -a --lang en");
        EXPECT_EQ(result.status, 1) << file << ": " << result.out;
        return result.err;
    };
    const std::string head = R"({"frequency_mhz": 144, "unit": "m", "elements": [)";
    const std::string dipole = R"({"name": "d", "length": 1, "position": 0, "diameter": 0.002,
        "driven": true})";
    EXPECT_NE(refusal("huge.json", R"({"frequency_mhz": 1e400, "unit": "m", "elements": []})")
                  .find("out of range"),
              std::string::npos);
    fs::create_directories(folder / "folder.json");
    EXPECT_EQ(refusal("folder.json", ""), "zeva-sheet: folder.json: not a regular file\n");
    EXPECT_NE(refusal("/dev/zero", "").find("not a regular file"), std::string::npos);
    std::ofstream(folder / "large.json") << std::string(2 << 20, ' ');
    EXPECT_NE(refusal("large.json", "").find("larger than 1 MiB"), std::string::npos);
    EXPECT_NE(refusal("long.json", head + R"({"name": "d", "length": 1e308, "position": 0,
        "diameter": 0.002, "driven": true}]})")
                  .find("wavelengths long, more than 3: check the unit"),
              std::string::npos);
    // A centimetre figure in a metre file: a hundred times too long.
    EXPECT_NE(refusal("centimetres.json", head + R"({"name": "d", "length": 102,
        "position": 0, "diameter": 0.002, "driven": true}]})")
                  .find("check the unit"),
              std::string::npos);
    std::string many = head + dipole;
    for (int i = 1; i <= 400; ++i) {
        many += R"(, {"name": "e", "length": 1, "position": )" + std::to_string(i) +
                R"(, "diameter": 0.002})";
    }
    EXPECT_NE(refusal("many.json", many + "]}").find("more than 300 elements (401)"),
              std::string::npos);
}

TEST_F(Cli, the_files_of_a_run_are_written_together_or_not_at_all) {
    // A folder in a file's place is found before anything is replaced.
    std::ofstream(folder / "kept.nec") << "kept\n";
    fs::create_directories(folder / "plot.svg");
    const Outcome folderTarget =
        run("-e 3 -f 14.2 -d 14 --analyse --nec kept.nec --plot plot.svg --lang en");
    EXPECT_EQ(folderTarget.status, 1);
    EXPECT_EQ(slurp(folder / "kept.nec"), "kept\n");
    fs::remove(folder / "plot.svg");
    fs::remove(folder / "kept.nec");
    // Two outputs on one path are a usage error.
    EXPECT_EQ(run("-e 3 -f 14.2 -d 14 --analyse --nec same --plot ./same").status, 2);
    EXPECT_FALSE(fs::exists(folder / "same"));

    const Outcome result =
        run("-e 3 -f 14.2 -d 14 --analyse --nec design.nec --plot no/such/folder/p.svg --lang en");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "zeva-sheet: cannot write no/such/folder/p.svg: its folder does not exist\n");
    EXPECT_FALSE(fs::exists(folder / "design.nec"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 2)
        << "only out.txt and err.txt: no temporary file left behind";
}

TEST_F(Cli, a_target_that_is_no_regular_file_is_written_in_place) {
    ASSERT_EQ(mkfifo((folder / "deck.fifo").c_str(), 0600), 0);
    // A reader on the FIFO, so that the program's write can complete.
    const std::string reader = "cat '" + (folder / "deck.fifo").string() + "' > '" +
                               (folder / "read.nec").string() + "' &";
    ASSERT_EQ(std::system(reader.c_str()), 0);
    const Outcome result = run("-e 3 -f 14.2 -d 14 --nec deck.fifo");
    EXPECT_EQ(result.status, 0) << result.err;
    std::system("wait");
    for (int i = 0; i < 100 && slurp(folder / "read.nec").find("EN\n") == std::string::npos; ++i) {
        usleep(20000);
    }
    EXPECT_TRUE(fs::is_fifo(folder / "deck.fifo")) << "still a FIFO, not replaced by a file";
    EXPECT_NE(slurp(folder / "read.nec").find("GW 1 "), std::string::npos);

    // Standard output a pipe: the deck, then the sheet.
    const std::string piped =
        "LC_ALL=zh_CN.UTF-8 '" ZEVA_SHEET_PROGRAM "' -e 3 -f 14.2 -d 14 --nec /dev/stdout " +
        std::string("--format csv | cat > '") + (folder / "piped.txt").string() + "'";
    EXPECT_EQ(std::system(piped.c_str()), 0);
    const std::string out = slurp(folder / "piped.txt");
    EXPECT_EQ(out.rfind("CM zeva-sheet", 0), 0u);
    EXPECT_NE(out.find("EN\n元件,长度(英尺)"), std::string::npos) << out;
    EXPECT_TRUE(fs::is_symlink("/dev/stdout")) << "the link itself is left alone";
}

// What an output must not replace, or replace halfway: each is refused or left whole.
TEST_F(Cli, an_output_leaves_inputs_and_protected_files_alone) {
    const auto listing = [this] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    std::ofstream(folder / "a.nec") << "OLD\n";
    // A device that fails is written before any file is replaced.
    Outcome result = run("-e 3 -f 14.2 -d 14 --analyse --nec a.nec --plot /dev/full --lang en");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zeva-sheet: cannot write /dev/full: the disk is full\n");
    EXPECT_EQ(slurp(folder / "a.nec"), "OLD\n");

    // An input is no output, under any of its names; said before the analysis.
    ASSERT_EQ(run("-e 3 -f 14.2 -d 14 --nec design.nec").status, 0);
    const std::string deck = slurp(folder / "design.nec");
    std::ofstream(folder / "m.s1p") << "# MHz S RI R 50\n14.2 0 0\n";
    fs::create_hard_link(folder / "m.s1p", folder / "also.s1p");
    result = run("-e 3 -f 14.2 -d 14 --analyse --measured m.s1p --sweep-csv also.s1p --lang en");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zeva-sheet: cannot write also.s1p: it is an input of this run\n");
    EXPECT_EQ(slurp(folder / "m.s1p"), "# MHz S RI R 50\n14.2 0 0\n");

    // The deck and the report on one file through /dev/stdout: the report would overwrite
    // the deck's start.
    result = run("-e 3 -f 14.2 -d 14 --nec /dev/stdout --lang en");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "zeva-sheet: cannot write /dev/stdout: another output of this run goes to the "
              "same file\n");

    // A file nobody may write is kept; a writable one keeps its permissions.
    fs::copy_file(folder / "a.nec", folder / "kept.nec");
    fs::permissions(folder / "kept.nec", fs::perms::owner_read | fs::perms::group_read);
    result = run("-e 3 -f 14.2 -d 14 --nec kept.nec --lang en");
    EXPECT_EQ(result.err, "zeva-sheet: cannot write kept.nec: it is read-only\n");
    EXPECT_EQ(slurp(folder / "kept.nec"), "OLD\n");
    fs::permissions(folder / "a.nec",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(run("-e 3 -f 14.2 -d 14 --nec a.nec").status, 0);
    EXPECT_EQ(slurp(folder / "a.nec"), deck);
    EXPECT_EQ(fs::status(folder / "a.nec").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // Through a link, the file it leads to is replaced and the link kept; a name as long as
    // a file name may be is written, the temporary name not longer.
    fs::create_symlink("a.nec", folder / "link.nec");
    std::ofstream(folder / "a.nec") << "OLD\n";
    ASSERT_EQ(run("-e 3 -f 14.2 -d 14 --nec link.nec").status, 0);
    EXPECT_TRUE(fs::is_symlink(folder / "link.nec"));
    EXPECT_EQ(slurp(folder / "a.nec"), deck);
    const std::string longest(250, 'n');
    result = run("-e 3 -f 14.2 -d 14 --nec " + longest + ".nec");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(slurp(folder / (longest + ".nec")), deck);
    const std::vector<std::string> expected = {"a.nec",   "also.s1p",       "design.nec",
                                               "err.txt", "kept.nec",       "link.nec",
                                               "m.s1p",   longest + ".nec", "out.txt"};
    EXPECT_EQ(listing(), expected) << "no temporary left behind";
    fs::permissions(folder / "kept.nec", fs::perms::owner_all);
}

// Inputs and limits that the antenna decides are said before any solving: without nec2c on
// PATH, the engine nec2c would otherwise fail first.
TEST_F(Cli, inputs_and_limits_are_checked_before_the_analysis) {
    const std::string analyse = "-e 3 -f 144 -d 14 --analyse --engine nec2c --lang en ";
    const struct {
        std::string arguments, message;
    } cases[] = {
        {"--height 30", "cannot place the antenna: the height is above 10 wavelengths (20.8 m)"},
        {"--tolerance 400", "cannot study the tolerance: a length tolerance above 0.02"},
        {"--measured none.s1p", "cannot read none.s1p"},
        {"--nec no/deck.nec", "cannot write no/deck.nec"},
    };
    for (const auto& c : cases) {
        const Outcome result = run(analyse + c.arguments, "/nonexistent");
        EXPECT_EQ(result.status, 1) << c.arguments;
        EXPECT_EQ(result.err.rfind("zeva-sheet: " + c.message, 0), 0u) << result.err;
    }
    // A length tolerance that would leave an element of a geometry file no wire.
    std::ofstream(folder / "short.json")
        << R"({"frequency_mhz": 1296, "unit": "m", "elements": [{"driven": true, "position": 0,)"
        << R"( "length": 0.11, "diameter": 0.002}, {"position": 0.05, "length": 0.004,)"
        << R"( "diameter": 0.0002}]})";
    const Outcome stub = run("-g short.json --analyse --tolerance 3 --lang en", "/nonexistent");
    EXPECT_EQ(stub.err,
              "zeva-sheet: cannot study the tolerance: the length tolerance must be at most a "
              "quarter of the shortest element (1.0 mm)\n");
}

// Under a memory limit the program still answers, and an analysis that cannot have its memory
// says so instead of aborting or waiting for ever.
TEST_F(Cli, a_memory_limit_is_met_with_a_message) {
    // No memory limit holds under the sanitizers.
    if (testing_support::kSanitized) GTEST_SKIP() << "a sanitizer build";
    const auto limited = [this](int kilobytes, const std::string& arguments,
                                const std::string& environment = "") {
        const std::string command = "cd '" + folder.string() + "' && ulimit -v " +
                                    std::to_string(kilobytes) + " && " + environment +
                                    "timeout -s KILL 60 '" + ZEVA_SHEET_PROGRAM + "' " + arguments +
                                    " >out.txt 2>err.txt";
        const int status = std::system(("bash -c \"" + command + "\"").c_str());
        return std::pair{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(folder / "err.txt")};
    };
    EXPECT_EQ(limited(150000, "--version").first, 0);
    EXPECT_EQ(limited(150000, "--help").first, 0);
    EXPECT_EQ(limited(150000, "-e 3 -f 14.2 -d 14").first, 0) << "the sheet needs no engine";
    // Too little room to load OpenBLAS, or for even one of its buffers, whatever the processors:
    // the memory is named, not the library.
    for (const int kilobytes : {40000, 120000}) {
        const auto [status, err] = limited(kilobytes, "-e 3 -f 14.2 -d 14 --analyse --lang en");
        EXPECT_EQ(status, 1) << kilobytes;
        EXPECT_TRUE(err == "zeva-sheet: not enough memory\n" ||
                    err.find("too large to solve") != std::string::npos)
            << kilobytes << ": " << err;
    }
    // Room for one buffer but not for one a thread: the solves wait their turn where OpenBLAS
    // would try its allocation again for ever.
    const auto [tight, tightErr] =
        limited(200000, "-e 3 -f 14.2 -d 14 --analyse --lang en", "MALLOC_ARENA_MAX=1 ");
    EXPECT_TRUE(tight == 0 || tightErr == "zeva-sheet: not enough memory\n")
        << tight << " " << tightErr;
}

// A FIFO nobody reads holds the write; Ctrl-C ends the run as the signal would, and the file
// written beside it is not put in place.
TEST_F(Cli, an_interrupt_while_a_fifo_waits_ends_the_run) {
    ASSERT_EQ(mkfifo((folder / "deck.fifo").c_str(), 0600), 0);
    const std::string command = "cd '" + folder.string() +
                                "'\n'" ZEVA_SHEET_PROGRAM
                                "' -e 3 -f 14.2 -d 14 --nec deck.fifo --plot p.svg --analyse "
                                ">/dev/null 2>&1 &\npid=$!\n"
                                // Once the plot waits beside its name, the FIFO holds the run.
                                "for i in $(seq 600); do ls -a | grep -q '^\\.zeva-' && break; "
                                "sleep 0.1; done\nsleep 0.2\nkill -INT $pid\n"
                                "wait $pid\necho $? > status";
    std::ofstream(folder / "interrupt.sh") << command << "\n";
    ASSERT_EQ(std::system(("bash '" + (folder / "interrupt.sh").string() + "'").c_str()), 0);
    EXPECT_EQ(slurp(folder / "status"), "130\n") << "ended by SIGINT";
    EXPECT_FALSE(fs::exists(folder / "p.svg"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 3)
        << "the FIFO, the script and its status";

    // A reader that has gone: the plot cannot be written, which is said, and nothing else is.
    fs::remove(folder / "status");
    const std::string gone = "cd '" + folder.string() +
                             "'\n'" ZEVA_SHEET_PROGRAM
                             "' -e 3 -f 14.2 -d 14 --nec d.nec --plot /dev/stdout --analyse "
                             "--lang en 2>err.txt | { exec 0<&-; sleep 1; }\n"
                             "echo ${PIPESTATUS[0]} > status";
    std::ofstream(folder / "gone.sh") << gone << "\n";
    ASSERT_EQ(std::system(("bash '" + (folder / "gone.sh").string() + "'").c_str()), 0);
    EXPECT_EQ(slurp(folder / "status"), "1\n");
    EXPECT_EQ(slurp(folder / "err.txt"),
              "zeva-sheet: cannot write /dev/stdout: the reader went away\n");
    EXPECT_FALSE(fs::exists(folder / "d.nec"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 5)
        << "the FIFO, the scripts, the status and the message: no temporary";
}

// The engine in process stops at a signal too, and the run ends as the signal would end it
// (a run of seconds: an analysis alone may end before the signal comes).
TEST_F(Cli, an_interrupt_stops_the_engine_and_writes_nothing) {
    const std::string command = "cd '" + folder.string() +
                                "'\n'" ZEVA_SHEET_PROGRAM
                                "' -e multi -f 144.2 -d 1/2 --analyse --tolerance 1 --samples "
                                "1000 --nec d.nec >/dev/null 2>&1 &\n"
                                "pid=$!\nsleep 0.2\nkill -INT $pid\nwait $pid\necho $? > status";
    std::ofstream(folder / "interrupt.sh") << command << "\n";
    ASSERT_EQ(std::system(("bash '" + (folder / "interrupt.sh").string() + "'").c_str()), 0);
    EXPECT_EQ(slurp(folder / "status"), "130\n") << "ended by SIGINT";
    EXPECT_FALSE(fs::exists(folder / "d.nec"));
}

// A stand-in nec2c that never finishes: the time limit, and a signal, stop it.
TEST_F(Cli, a_slow_nec2c_is_stopped_and_an_interrupt_leaves_nothing_behind) {
    if (!zeva::testing_support::haveNec2c()) GTEST_SKIP() << "nec2c not installed";
    // The stand-in starts a child of its own, which must end with it.
    standIn(folder,
            "d=\"$(dirname \"$0\")\"\nsleep 60 &\necho $! >> \"$d/pids\"\n"
            "echo $$ >> \"$d/pids\"\nwait");
    const std::string path = (folder / "bin").string() + ":/usr/bin:/bin";
    fs::create_directories(folder / "tmp");
    const std::string temp = "TMPDIR='" + (folder / "tmp").string() + "' ";

    const Outcome slow = run(
        "-e 3 -f 14.2 -d 14 --analyse --engine nec2c --nec d.nec --time-limit 0.5 --lang en", path);
    EXPECT_EQ(slow.status, 1);
    EXPECT_EQ(slow.err, "zeva-sheet: nec2c ran past the time limit of 0.5 s and was stopped\n");
    EXPECT_FALSE(fs::exists(folder / "d.nec"));

    const std::string command = "cd '" + folder.string() + "'\n" + temp + "PATH='" + path +
                                "' '" ZEVA_SHEET_PROGRAM "' -e 3 -f 14.2 -d 14 --analyse " +
                                "--engine nec2c " +
                                "--nec d.nec >/dev/null 2>&1 &\npid=$!\nsleep 0.5\n" +
                                "kill -HUP $pid\nwait $pid\necho $? > status";
    std::ofstream(folder / "interrupt.sh") << command << "\n";
    ASSERT_EQ(std::system(("bash '" + (folder / "interrupt.sh").string() + "'").c_str()), 0);
    // The terminal closed: handled as a termination, nothing left behind.
    EXPECT_EQ(slurp(folder / "status"), "129\n") << "ended by SIGHUP";
    EXPECT_TRUE(fs::is_empty(folder / "tmp")) << "the temporary folder is removed";
    EXPECT_FALSE(fs::exists(folder / "d.nec"));
    // An ended process whose parent is gone may wait a moment as a zombie for init.
    const auto alive = [](int pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t close = line.rfind(')');
        return !line.empty() && close + 2 < line.size() && line[close + 2] != 'Z';
    };
    std::ifstream pids(folder / "bin" / "pids");
    int count = 0;
    for (int pid = 0; pids >> pid; ++count) {
        for (int i = 0; i < 50 && alive(pid); ++i) usleep(10000);
        EXPECT_FALSE(alive(pid)) << "nec2c or its child " << pid << " still runs";
    }
    EXPECT_GE(count, 2) << "a run and its child at least";
}

// Many decks for nec2c: no more at once than there are processors, whatever the length of
// TMPDIR; a start that fails for another reason than a missing program says why.
TEST_F(Cli, nec2c_runs_a_few_at_a_time_from_a_short_folder) {
    if (!zeva::testing_support::haveNec2c()) GTEST_SKIP() << "nec2c not installed";
    standIn(folder,
            "d=\"$(dirname \"$0\")\"\ntouch \"$d/running.$$\"\n"
            "ls \"$d\" | grep -c '^running\\.' >> \"$d/counts\"\nsleep 0.1\n"
            "rm \"$d/running.$$\"\nPATH=/usr/local/bin:/usr/bin:/bin exec nec2c \"$@\"");
    const fs::path deep = folder / std::string(60, 't') / std::string(60, 'm');
    fs::create_directories(deep);
    const std::string path = (folder / "bin").string() + ":/usr/bin:/bin";
    const Outcome result =
        run("-e 3 -f 14.2 -d 14 --analyse --engine nec2c --tolerance 2 "
            "--samples 12 --lang en",
            path, "TMPDIR='" + deep.string() + "' ");
    EXPECT_EQ(result.status, 0) << result.err;
    std::ifstream counts(folder / "bin" / "counts");
    int most = 0, runs = 0;
    for (int count = 0; counts >> count; ++runs) most = std::max(most, count);
    EXPECT_GE(runs, 12 + 1 + 6);
    EXPECT_LE(most, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    EXPECT_TRUE(fs::is_empty(deep)) << "the folder of the runs is removed";

    // nec2c there but not executable.
    fs::permissions(folder / "bin" / "nec2c", fs::perms::owner_read);
    const Outcome refused =
        run("-e 3 -f 14.2 -d 14 --analyse --engine nec2c --lang en", (folder / "bin").string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "zeva-sheet: cannot start nec2c: Permission denied\n");
}

}  // namespace
}  // namespace zeva::cli_test
