#include "cli/CliArgs.h"

#include <algorithm>
#include <cctype>

bool CliArgs::Flag(const std::string& name) {
    const auto at = std::find(words_.begin(), words_.end(), name);
    if (at == words_.end()) return false;
    words_.erase(at);
    return true;
}

std::optional<std::string> CliArgs::Value(const std::string& name) {
    for (auto at = words_.begin(); at != words_.end(); ++at) {
        if (at->rfind(name + "=", 0) == 0) {
            std::string value = at->substr(name.size() + 1);
            words_.erase(at);
            return value;
        }
        if (*at != name) continue;
        if (at + 1 == words_.end()) throw UsageError(name + " needs a value");
        std::string value = *(at + 1);
        words_.erase(at, at + 2);
        return value;
    }
    return std::nullopt;
}

std::optional<std::string> CliArgs::Positional() {
    const auto at = std::find_if(words_.begin(), words_.end(), [](const std::string& w) {
        return w.size() < 2 || w[0] != '-' || std::isdigit(static_cast<unsigned char>(w[1]));
    });
    if (at == words_.end()) return std::nullopt;
    std::string word = *at;
    words_.erase(at);
    return word;
}

void CliArgs::RequireAllTaken() const {
    if (!words_.empty()) throw UsageError("unknown option or argument '" + words_.front() + "'");
}

int NumberIn(const std::string& what, const std::string& text, int lo, int hi) {
    const bool digits =
        !text.empty() && text.size() <= 9 && std::all_of(text.begin(), text.end(), ::isdigit);
    const int n = digits ? std::stoi(text) : -1;
    if (!digits || n < lo || n > hi)
        throw UsageError(what + ": '" + text + "' is not a number from " + std::to_string(lo) +
                         " to " + std::to_string(hi));
    return n;
}

std::array<uint8_t, 4> Hex8(const std::string& what, const std::string& text) {
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(), ::isxdigit))
        throw UsageError(what + ": '" + text + "' is not eight hexadecimal digits");
    std::array<uint8_t, 4> bytes{};
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(std::stoi(text.substr(2 * i, 2), nullptr, 16));
    return bytes;
}
