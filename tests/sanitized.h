// SPDX-License-Identifier: MIT
// Whether this build runs under AddressSanitizer or ThreadSanitizer (GCC's and Clang's ways of
// saying so): such a build reserves terabytes of address space and runs several times slower.
#pragma once

namespace zeva::testing_support {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZEVA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZEVA_SANITIZED 1
#endif
#endif
#ifdef ZEVA_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

}  // namespace zeva::testing_support
