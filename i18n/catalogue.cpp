// SPDX-License-Identifier: MIT
#include "i18n/catalogue.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

// The compiled catalogues (GNU .mo files), embedded by the build.
extern const unsigned char kChineseCatalogue[];
extern const std::size_t kChineseCatalogueSize;

namespace zeva {
namespace {

// A .mo file read in place: its texts indexed once and sorted, so that one is found by halving.
class MoFile {
public:
    MoFile(const unsigned char* bytes, std::size_t size) : bytes_(bytes), size_(size) {
        constexpr std::uint32_t kMagic = 0x950412de;
        if (size_ < kHeaderBytes) return;
        if (word(0) != kMagic) {
            swapped_ = true;                // written on a machine of the other byte order
            if (word(0) != kMagic) return;  // not a catalogue
        }
        if (word(4) >> 16 != 0) return;  // a major revision this reader does not know
        const std::size_t count = word(8);
        const std::size_t originals = word(12);
        const std::size_t translations = word(16);
        // Both tables of (length, offset) pairs lie inside the file.
        for (const std::size_t table : {originals, translations}) {
            if (table > size_ || count > (size_ - table) / 8) return;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const auto original = text(originals + 8 * i);
            const auto translation = text(translations + 8 * i);
            if (original.data() == nullptr || translation.data() == nullptr) {
                entries_.clear();
                return;
            }
            // The empty text is the catalogue's header, no translation.
            if (!original.empty()) entries_.push_back({original, translation.data()});
        }
        std::sort(entries_.begin(), entries_.end(),
                  [](const Entry& a, const Entry& b) { return a.original < b.original; });
    }

    [[nodiscard]] const char* find(std::string_view original) const {
        const auto found = std::lower_bound(
            entries_.begin(), entries_.end(), original,
            [](const Entry& entry, std::string_view key) { return entry.original < key; });
        if (found == entries_.end() || found->original != original) return nullptr;
        return *found->translation == '\0' ? nullptr : found->translation;
    }

private:
    struct Entry {
        std::string_view original;
        const char* translation;
    };

    static constexpr std::size_t kHeaderBytes = 28;

    [[nodiscard]] std::uint32_t word(std::size_t at) const {
        std::uint32_t value = 0;
        if (at <= size_ && size_ - at >= 4) std::memcpy(&value, bytes_ + at, 4);
        if (!swapped_) return value;
        return (value >> 24) | ((value >> 8) & 0xff00U) | ((value << 8) & 0xff0000U) |
               (value << 24);
    }
    // A length and an offset at the descriptor; the text must end in its NUL inside the file.
    [[nodiscard]] std::string_view text(std::size_t descriptor) const {
        const std::size_t length = word(descriptor);
        const std::size_t offset = word(descriptor + 4);
        if (descriptor > size_ || size_ - descriptor < 8 || offset >= size_ ||
            length >= size_ - offset || bytes_[offset + length] != '\0') {
            return {};
        }
        return {reinterpret_cast<const char*>(bytes_ + offset), length};
    }

    const unsigned char* bytes_;
    std::size_t size_;
    bool swapped_ = false;
    std::vector<Entry> entries_;
};

const MoFile& chinese() {
    static const MoFile catalogue(kChineseCatalogue, kChineseCatalogueSize);
    return catalogue;
}

}  // namespace

const char* translate(Language language, const char* english) {
    if (language == Language::English) return english;
    const char* found = chinese().find(english);
    return found != nullptr ? found : english;
}

const char* translate(Language language, const char* context, const char* english) {
    if (language == Language::English) return english;
    // gettext keeps a context and its text as one key, an EOT between them.
    const std::string key = std::string(context) + '\x04' + english;
    const char* found = chinese().find(key);
    return found != nullptr ? found : english;
}

std::string say(Language language, const char* english) { return translate(language, english); }

std::string say(Language language, const char* english,
                std::initializer_list<std::string_view> args) {
    return fill(translate(language, english), args);
}

std::string fill(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9') {
            const auto index = static_cast<std::size_t>(next - '1');
            if (index < args.size()) out += *(args.begin() + index);
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace zeva
