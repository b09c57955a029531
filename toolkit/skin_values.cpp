#include "toolkit/skin_values.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace ui {
namespace {

constexpr long long kIntLimit = 2147483648LL;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Reads a signed decimal number at the front of `text`; nullopt if there is none.
std::optional<int> TakeNumber(std::string_view& text) {
    text = Trim(text);
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    long long value = 0;
    std::size_t firstDigit = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        // Past the int range the number only saturates.
        if (value <= kIntLimit) value = value * 10 + (text[at] - '0');
        ++at;
    }
    if (at == firstDigit) return std::nullopt;
    text.remove_prefix(at);
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::vector<int> ParseNumbers(std::string_view text, std::size_t count) {
    std::vector<int> numbers(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        std::optional<int> number = TakeNumber(text);
        if (!number) break;
        numbers[i] = *number;
        text = Trim(text);
        if (text.empty() || text.front() != ',') break;
        text.remove_prefix(1);
    }
    return numbers;
}

}  // namespace

Box ParseBox(std::string_view text) {
    std::vector<int> n = ParseNumbers(text, 4);
    return Box{n[0], n[1], n[2], n[3]};
}

Extent ParseExtent(std::string_view text) {
    std::vector<int> n = ParseNumbers(text, 2);
    return Extent{n[0], n[1]};
}

int ParseInt(std::string_view text) {
    return TakeNumber(text).value_or(0);
}

bool ParseBool(std::string_view text) {
    text = Trim(text);
    if (text == "1") return true;
    if (text.size() != 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != "true"[i]) return false;
    }
    return true;
}

std::optional<std::uint32_t> ParseColor(std::string_view text) {
    text = Trim(text);
    if (text.size() > 1 && text[0] == '#') {
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    } else {
        return std::nullopt;
    }
    if (text.size() != 6 && text.size() != 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(
                                 std::isdigit(static_cast<unsigned char>(c))
                                     ? c - '0'
                                     : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    }
    if (text.size() == 6) value |= 0xFF000000u;
    return value;
}

namespace {

// Splits name<sep>quote value quote pairs; `quote` is '"' for attribute lists and '\'' for
// image strings.
AttributeList ParsePairs(std::string_view text, char quote) {
    AttributeList pairs;
    for (;;) {
        text = Trim(text);
        std::size_t equals = text.find('=');
        if (text.empty() || equals == std::string_view::npos) break;
        std::string name(Trim(text.substr(0, equals)));
        text = Trim(text.substr(equals + 1));
        // A name with a space in it is a stray word before the name: the list is broken there.
        bool strayWord = std::any_of(name.begin(), name.end(), IsSpace);
        if (name.empty() || strayWord || text.empty() || text.front() != quote) break;
        std::size_t end = text.find(quote, 1);
        if (end == std::string_view::npos) break;
        pairs.emplace_back(std::move(name), std::string(text.substr(1, end - 1)));
        text.remove_prefix(end + 1);
    }
    return pairs;
}

}  // namespace

AttributeList ParseAttributeList(std::string_view text) {
    return ParsePairs(text, '"');
}

ImageSpec ParseImageSpec(std::string_view text) {
    ImageSpec picture;
    text = Trim(text);
    if (text.find('=') == std::string_view::npos) {
        picture.file = std::string(text);
        return picture;
    }
    for (const auto& [key, value] : ParsePairs(text, '\'')) {
        if (key == "file") {
            picture.file = value;
        } else if (key == "source") {
            picture.source = ParseBox(value);
        } else if (key == "corner") {
            picture.corner = ParseBox(value);
        } else if (key == "dest") {
            picture.dest = ParseBox(value);
        } else if (key == "mask") {
            picture.mask = ParseColor(value);
        }
    }
    return picture;
}

}  // namespace ui
