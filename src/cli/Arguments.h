#pragma once
#include <stdexcept>
#include <string>
#include <vector>

namespace Cli {

// A wrong command line: main prints the text and the usage hint, and exits 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Walks the words of a command line: options (--name, --name value) and operands.
class Arguments {
  public:
    // Words after a "--" are operands even when they begin with '-': they are handed out as
    // "./-name", which names the same file and matches no option.
    explicit Arguments(std::vector<std::string> words);

    bool done() const { return next >= words.size(); }
    const std::string& peek() const { return words.at(next); }
    std::string take() { return words.at(next++); }
    // The value after an option; a missing or empty value is a usage error.
    std::string value(const std::string& option);
    // The value after an option as a whole number within [low, high].
    long integer(const std::string& option, long low, long high);
    // Whether the word looks like an option rather than an operand.
    static bool isOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

  private:
    std::vector<std::string> words;
    std::size_t next = 0;
};

} // namespace Cli
