#pragma once
// One JSON object on one line, for the --json output of the commands that scripts read. Keys
// keep the order they are added in. Text that is not valid UTF-8 (a file name is any bytes on
// Linux) keeps each stray byte as an escaped low surrogate \udcXX, which a reader can map back.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Cli {

class JsonObject {
  public:
    JsonObject& add(std::string_view key, std::string_view value);
    JsonObject& add(std::string_view key, const char* value) {
        return add(key, std::string_view(value));
    }
    JsonObject& add(std::string_view key, const std::string& value) {
        return add(key, std::string_view(value));
    }
    // Not-a-number and infinities are written as null.
    JsonObject& add(std::string_view key, double value);
    JsonObject& add(std::string_view key, std::int64_t value);
    JsonObject& add(std::string_view key, std::uint64_t value);
    JsonObject& add(std::string_view key, int value) {
        return add(key, static_cast<std::int64_t>(value));
    }
    JsonObject& add(std::string_view key, bool value);
    JsonObject& add(std::string_view key, const JsonObject& value);
    JsonObject& add(std::string_view key, const std::vector<std::string>& values);
    JsonObject& addNull(std::string_view key);

    std::string text() const { return body + "}"; }

  private:
    JsonObject& raw(std::string_view key, std::string_view json);
    std::string body = "{";
};

// The JSON string literal of a text, quotes included.
std::string jsonString(std::string_view text);

} // namespace Cli
