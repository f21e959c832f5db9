#include "cli/JsonObject.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Cli {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when the byte there starts none.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, code = lead & 0x07;
    else return 0;
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
    return length;
}

std::string escaped(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", value);
    return text;
}

} // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t length = utf8Length(text, i);
        if (length == 0) {
            out += escaped(0xDC00u + static_cast<unsigned char>(c));
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text.substr(i, length));
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            out += escaped(static_cast<unsigned char>(c));
        } else {
            out += c;
        }
        i += length;
    }
    return out + "\"";
}

JsonObject& JsonObject::raw(std::string_view key, std::string_view json) {
    if (body.size() > 1) body += ", ";
    body += jsonString(key);
    body += ": ";
    body += json;
    return *this;
}

JsonObject& JsonObject::add(std::string_view key, std::string_view value) {
    return raw(key, jsonString(value));
}

JsonObject& JsonObject::add(std::string_view key, double value) {
    if (!std::isfinite(value)) return raw(key, "null");
    // The shortest text that reads back as the same double ("180", "0.5", "1e+300"); the C
    // locale's point whatever the user's locale.
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return raw(key, std::string_view(text, static_cast<std::size_t>(written.ptr - text)));
}

JsonObject& JsonObject::add(std::string_view key, std::int64_t value) {
    return raw(key, std::to_string(value));
}

JsonObject& JsonObject::add(std::string_view key, std::uint64_t value) {
    return raw(key, std::to_string(value));
}

JsonObject& JsonObject::add(std::string_view key, bool value) {
    return raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::add(std::string_view key, const JsonObject& value) {
    return raw(key, value.text());
}

JsonObject& JsonObject::add(std::string_view key, const std::vector<std::string>& values) {
    std::string list = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) list += ", ";
        list += jsonString(values[i]);
    }
    return raw(key, list + "]");
}

JsonObject& JsonObject::addNull(std::string_view key) {
    return raw(key, "null");
}

} // namespace Cli
