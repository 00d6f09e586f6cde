// SPDX-License-Identifier: MIT
#include "tests/fuzz/fuzz_input.h"

#include <cstdio>
#include <cstdlib>

namespace zeva::fuzz {

void fail(const char* what, std::string_view text) {
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
    std::abort();
}

}  // namespace zeva::fuzz
