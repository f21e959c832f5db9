#include "cli/Arguments.h"

#include <charconv>

namespace Cli {

Arguments::Arguments(std::vector<std::string> words_) : words(std::move(words_)) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "--") continue;
        words.erase(words.begin() + static_cast<std::ptrdiff_t>(i));
        for (std::size_t k = i; k < words.size(); ++k)
            if (isOption(words[k])) words[k] = "./" + words[k];
        return;
    }
}

std::string Arguments::value(const std::string& option) {
    if (done() || peek().empty()) throw UsageError(option + " needs a value");
    return take();
}

long Arguments::integer(const std::string& option, long low, long high) {
    const std::string text = value(option);
    long result = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ec != std::errc() || end != text.data() + text.size() || result < low || result > high)
        throw UsageError(option + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'");
    return result;
}

} // namespace Cli
