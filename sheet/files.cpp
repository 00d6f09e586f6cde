// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

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
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            if (wrote == 0) errno = EIO;  // nothing taken, and no reason given
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// The permissions a new file gets: the target's where it exists, else what the umask leaves.
// The umask is read, not set and set back: in the windows other threads may be making files.
mode_t modeFor(const Place& target) {
    if (target.exists) return target.status.st_mode & 07777;
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) {
            mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
            break;
        }
    }
    return 0666 & ~mask;
}

// Whether a file there can be replaced: its folder written, and in a folder of shared files
// (sticky, as /tmp) only a file of one's own or in a folder of one's own, as rename() asks.
bool replaceable(const std::string& path) {
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    if (error) return false;
    const std::string folder = folderOf(resolved.string());
    struct stat file {
    }, parent{};
    if (::access(folder.c_str(), W_OK | X_OK) != 0 || ::stat(resolved.c_str(), &file) != 0 ||
        ::stat(folder.c_str(), &parent) != 0) {
        return false;
    }
    const uid_t user = ::geteuid();
    return (parent.st_mode & S_ISVTX) == 0 || user == 0 || file.st_uid == user ||
           parent.st_uid == user;
}

// SIGPIPE ignored while the files are written: a reader that went away is a failure to
// write, said and cleaned up, not the end of the program with temporaries left behind.
class NoBrokenPipeSignal {
public:
    NoBrokenPipeSignal() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGPIPE, &ignore, &before_);
    }
    ~NoBrokenPipeSignal() { ::sigaction(SIGPIPE, &before_, nullptr); }
    NoBrokenPipeSignal(const NoBrokenPipeSignal&) = delete;
    NoBrokenPipeSignal& operator=(const NoBrokenPipeSignal&) = delete;

private:
    struct sigaction before_ {};
};

// Why a file could not be written, from the system's error number, in the user's language
// for the reasons a user can mend; the system's own words for the rest.
std::string reasonOf(int error, Language language) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return translate(language, "the disk is full");
        case EACCES:
        case EPERM:
            return translate(language, "permission denied");
        case EROFS:
            return translate(language, "the file system is read-only");
        case ENOENT:
        case ENOTDIR:
            return translate(language, "its folder does not exist");
        case ENAMETOOLONG:
            return translate(language, "the name is too long");
        case EPIPE:
            return translate(language, "the reader went away");
        default:
            return std::strerror(error);
    }
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
        if (path != "-" && place.regular() && !replaceable(path)) {
            return refuse(N_("cannot write %1: its folder may not be written"), path);
        }
        if (path != "-" && !place.exists) {
            const std::string folder = folderOf(path);
            std::error_code ignored;
            if (!fs::is_directory(folder, ignored)) {
                return refuse(N_("cannot write %1: its folder does not exist"), path);
            }
            if (::access(folder.c_str(), W_OK | X_OK) != 0) {
                return refuse(N_("cannot write %1: its folder may not be written"), path);
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
    // Said with the system's reason: the error number of the call that failed, taken before
    // the temporaries are removed.
    const auto cannot = [language](const std::string& path, int error) {
        return Failure{say(language, "cannot write %1: %2", {path, reasonOf(error, language)})};
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
    // Whatever ends the writing (a failure, an exception), no temporary stays behind.
    struct Temporaries {
        std::vector<Target>& targets;
        void remove() {
            for (Target& target : targets) {
                if (!target.temporary.empty()) ::unlink(target.temporary.c_str());
                target.temporary.clear();
            }
        }
        ~Temporaries() { remove(); }
    } temporaries{targets};
    const auto removeTemporaries = [&temporaries] { temporaries.remove(); };
    const NoBrokenPipeSignal noSignal;
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
            const int error = errno;
            removeTemporaries();
            return cannot(files[i].path, error);
        }
        target.temporary = name;
        // The owner and group of the file replaced, where the user may give them.
        if (place.exists) {
            [[maybe_unused]] const int ignored =
                ::fchown(descriptor, place.status.st_uid, place.status.st_gid);
        }
        const bool written =
            ::fchmod(descriptor, modeFor(place)) == 0 && writeWhole(descriptor, files[i].content);
        const int writeError = written ? 0 : errno;
        const bool closed = ::close(descriptor) == 0;
        if (!written || !closed) {
            const int error = written ? errno : writeError;
            removeTemporaries();
            return cannot(files[i].path, error);
        }
    }
    // What is written in place cannot be taken back, so it goes before anything is replaced:
    // where it fails, every file is left as it was.
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!targets[i].inPlace) continue;
        const int descriptor = ::open(targets[i].path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        const bool written = descriptor >= 0 && writeWhole(descriptor, files[i].content);
        const int writeError = written ? 0 : errno;
        const bool closed = descriptor < 0 || ::close(descriptor) == 0;
        if (!written || !closed) {
            const int error = written ? errno : writeError;
            removeTemporaries();
            return cannot(files[i].path, error);
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        Target& target = targets[i];
        if (target.inPlace) continue;
        if (::rename(target.temporary.c_str(), target.path.c_str()) != 0) {
            const int error = errno;
            removeTemporaries();
            return cannot(files[i].path, error);
        }
        target.temporary.clear();
    }
    return std::nullopt;
}

}  // namespace zeva::sheet
