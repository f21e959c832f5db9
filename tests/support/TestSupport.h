#pragma once
// Helpers shared by the test programs: scratch folders and synthetic signals.
#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace TestSupport {

// A fresh, empty folder for one test, removed when the object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return dir; }
    std::string file(const std::string& name) const { return (dir / name).string(); }

  private:
    std::filesystem::path dir;
};

// n samples of a sine of the given frequency and amplitude at the given rate.
std::vector<float> sine(std::size_t n, double frequency, double rate, double amplitude = 0.5);

// The whole contents of a file.
std::vector<unsigned char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// The text of the exception of type Error that `action` throws, or "(no exception)".
template <class Error = std::exception, class Action> std::string errorText(Action&& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no exception)";
}

// Polls `condition` until it holds (true) or `limit` has passed (false).
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

// Runs a shell command, returns its exit status; its stdout lands in *out when given.
int run(const std::string& command, std::string* out = nullptr);

} // namespace TestSupport
