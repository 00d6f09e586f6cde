// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "sheet/render.h"

namespace zeva::sheet {

namespace {

namespace fs = std::filesystem;

// Where a path leads: the file it names (links followed), or, for a file not made yet, the
// full name it would be made under. "-" is the standard stream of that side.
struct Place {
    bool exists = false;
    struct stat status {};
    std::string name;  // absolute, links of the folders resolved; a file that exists has none

    [[nodiscard]] bool regular() const { return exists && S_ISREG(status.st_mode); }
    [[nodiscard]] bool folder() const { return exists && S_ISDIR(status.st_mode); }
};

Place placeOf(const std::string& path, int standardStream) {
    Place place;
    place.exists = path == "-" ? fstat(standardStream, &place.status) == 0
                               : stat(path.c_str(), &place.status) == 0;
    if (!place.exists && path != "-") {
        std::error_code ignored;
        place.name = fs::weakly_canonical(fs::absolute(path, ignored), ignored).string();
    }
    return place;
}

bool samePlace(const Place& one, const Place& other) {
    if (one.exists != other.exists) return false;
    if (!one.exists) return !one.name.empty() && one.name == other.name;
    return one.status.st_dev == other.status.st_dev && one.status.st_ino == other.status.st_ino;
}

// The folder a new file would be made in.
std::string folderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// The whole text to an open file; a signal that interrupts a write ends it, so that Ctrl-C
// on a stream nobody reads ends the program.
bool writeWhole(int descriptor, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t wrote = ::write(descriptor, content.data() + done, content.size() - done);
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// The permissions a new file gets: the target's where it exists, else what the umask leaves.
mode_t modeFor(const Place& target) {
    if (target.exists) return target.status.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::optional<Failure> checkOutputs(const std::vector<std::string>& outputs,
                                    const std::vector<std::string>& inputs, Language language) {
    const auto refuse = [language](const char* why, const std::string& path) {
        return Failure{say(language, why, {path})};
    };
    std::vector<Place> places;
    for (const std::string& path : outputs) {
        if (path.empty()) return Failure{say(language, "a file name must not be empty")};
        const Place place = placeOf(path, STDOUT_FILENO);
        if (place.folder()) return refuse(N_("cannot write %1: it is a folder"), path);
        // A file that nobody may write is kept, even from a user who could replace it.
        const bool readOnly = place.regular() && (place.status.st_mode & 0222) == 0;
        if (path != "-" && place.exists && (readOnly || ::access(path.c_str(), W_OK) != 0)) {
            return refuse(N_("cannot write %1: it is read-only"), path);
        }
        if (path != "-" && !place.exists) {
            const std::string folder = folderOf(path);
            std::error_code ignored;
            if (!fs::is_directory(folder, ignored) || ::access(folder.c_str(), W_OK | X_OK) != 0) {
                return refuse(N_("cannot write %1"), path);
            }
        }
        // Two texts on one regular file would leave one of them, or both mixed; a stream (a
        // pipe, the terminal) takes them in turn.
        for (std::size_t i = 0; i < places.size(); ++i) {
            if (samePlace(places[i], place) && (!place.exists || place.regular())) {
                return refuse(
                    N_("cannot write %1: another output of this run goes to the same file"),
                    path == "-" ? outputs[i] : path);
            }
        }
        places.push_back(place);
    }
    for (const std::string& input : inputs) {
        const Place read = placeOf(input, STDIN_FILENO);
        if (!read.regular()) continue;
        for (std::size_t i = 0; i < places.size(); ++i) {
            if (samePlace(places[i], read)) {
                return refuse(N_("cannot write %1: it is an input of this run"), outputs[i]);
            }
        }
    }
    return std::nullopt;
}

std::optional<Failure> writeAll(const std::vector<OutputFile>& files, Language language) {
    std::vector<std::string> paths;
    for (const OutputFile& file : files) paths.push_back(file.path);
    if (auto refused = checkOutputs(paths, {}, language)) return refused;
    const auto cannot = [language](const std::string& path) {
        return Failure{say(language, "cannot write %1", {path})};
    };

    // A regular file is replaced by renaming a new one over it, made beside it under a name
    // nobody can foresee or plant a link at; through a link, the file it leads to. Anything
    // else (a FIFO, a device, the terminal) is written where it is.
    struct Target {
        bool inPlace = false;
        std::string path;       // what is renamed over, or opened in place
        std::string temporary;  // the new file beside it, until renamed
    };
    std::vector<Target> targets(files.size());
    const auto removeTemporaries = [&targets] {
        for (const Target& target : targets) {
            if (!target.temporary.empty()) ::unlink(target.temporary.c_str());
        }
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Place place = placeOf(files[i].path, STDOUT_FILENO);
        Target& target = targets[i];
        target.inPlace = place.exists && !place.regular();
        target.path = files[i].path;
        if (target.inPlace) continue;
        if (place.exists) {
            std::error_code error;
            const fs::path resolved = fs::canonical(files[i].path, error);
            if (!error) target.path = resolved.string();
        }
        std::string name = (fs::path(folderOf(target.path)) / ".zeva-XXXXXX").string();
        const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
        if (descriptor < 0) {
            removeTemporaries();
            return cannot(files[i].path);
        }
        target.temporary = name;
        const bool written =
            ::fchmod(descriptor, modeFor(place)) == 0 && writeWhole(descriptor, files[i].content);
        if (::close(descriptor) != 0 || !written) {
            removeTemporaries();
            return cannot(files[i].path);
        }
    }
    // What is written in place cannot be taken back, so it goes before anything is replaced:
    // where it fails, every file is left as it was.
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!targets[i].inPlace) continue;
        const int descriptor = ::open(targets[i].path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        const bool written = descriptor >= 0 && writeWhole(descriptor, files[i].content);
        if ((descriptor >= 0 && ::close(descriptor) != 0) || !written) {
            removeTemporaries();
            return cannot(files[i].path);
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        Target& target = targets[i];
        if (target.inPlace) continue;
        if (::rename(target.temporary.c_str(), target.path.c_str()) != 0) {
            removeTemporaries();
            return cannot(files[i].path);
        }
        target.temporary.clear();
    }
    return std::nullopt;
}

}  // namespace zeva::sheet
