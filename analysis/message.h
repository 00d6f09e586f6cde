// What the analysis and the command line say to the user, in the language asked for.
#pragma once

#include <string>

namespace zeva::analysis {

enum class Language { Chinese, English };

// What went wrong, as a message for the user.
struct Failure {
    std::string message;
};

// The Chinese or the English text, by the language asked for.
[[nodiscard]] inline std::string say(Language language, const char* chinese, const char* english) {
    return language == Language::English ? english : chinese;
}

}  // namespace zeva::analysis
