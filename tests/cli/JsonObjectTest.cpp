// The JSON the commands print for scripts: escaping, numbers, nesting; read back by Python's
// json module as a second opinion.
#include <gtest/gtest.h>

#include <limits>

#include "cli/JsonObject.h"
#include "support/TestSupport.h"

using Cli::JsonObject;
using Cli::jsonString;

TEST(JsonObject, EscapesWhatJsonMustAndKeepsUtf8) {
    const struct {
        std::string text, json;
    } rows[] = {
        {"plain", "\"plain\""},
        {"a \"quoted\" \\ path", R"("a \"quoted\" \\ path")"},
        {"line\nbreak\ttab\x01\x1f\x7f", R"("line\nbreak\ttab\u0001\u001f\u007f")"},
        {"Grüße 音 😀", "\"Grüße 音 😀\""},
        // Stray bytes: a lone continuation, a cut sequence at the end, an overlong slash.
        {"x\x80y", R"("x\udc80y")"},
        {"end\xc3", R"("end\udcc3")"},
        {"\xc0\xaf", R"("\udcc0\udcaf")"},
        {"", "\"\""},
    };
    for (const auto& r : rows) EXPECT_EQ(jsonString(r.text), r.json) << r.text;
}

TEST(JsonObject, NumbersNestingAndOrderReadBackInPython) {
    JsonObject settings;
    settings.add("semitones", 3).add("time", 1.25).add("formants", true);
    JsonObject o;
    o.add("source", "/music/a=b \"x\".wav")
        .add("frames", std::uint64_t{18446744073709551615u})
        .add("offset", std::int64_t{-5})
        .add("seconds", 0.1)
        .add("nan", std::numeric_limits<double>::quiet_NaN())
        .addNull("failure")
        .add("settings", settings)
        .add("paths", std::vector<std::string>{"l.wav", "r,\"x\".wav"});
    EXPECT_EQ(o.text(), R"({"source": "/music/a=b \"x\".wav", "frames": 18446744073709551615, )"
                        R"("offset": -5, "seconds": 0.1, "nan": null, "failure": null, )"
                        R"("settings": {"semitones": 3, "time": 1.25, "formants": true}, )"
                        R"("paths": ["l.wav", "r,\"x\".wav"]})");
    TestSupport::TempDir dir;
    const std::string text = o.text();
    TestSupport::writeBytes(dir.file("o.json"), {text.begin(), text.end()});
    EXPECT_EQ(TestSupport::run("python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
                               "assert d[\"paths\"][1]==\"r,\\\"x\\\".wav\" and "
                               "d[\"settings\"][\"time\"]==1.25' '" +
                               dir.file("o.json") + "'"),
              0);
    EXPECT_EQ(JsonObject().text(), "{}");
}
