// The command line as a list of words that commands take their options from;
// whatever is left over at the end was not understood.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Bad usage or a refused field: exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CliArgs {
public:
    explicit CliArgs(std::vector<std::string> words) : words_(std::move(words)) {}

    // Takes "--name" wherever it stands.
    bool Flag(const std::string& name);
    // Takes "--name VALUE" or "--name=VALUE"; UsageError when VALUE is missing.
    std::optional<std::string> Value(const std::string& name);
    // Takes the first word that is no option.
    std::optional<std::string> Positional();
    // UsageError naming the first word nobody took.
    void RequireAllTaken() const;
    bool Empty() const { return words_.empty(); }

private:
    std::vector<std::string> words_;
};

// Decimal text in [lo, hi]; UsageError "<what>: '<text>' is not a number from lo to hi".
int NumberIn(const std::string& what, const std::string& text, int lo, int hi);
// Eight hexadecimal digits as four bytes, most significant first.
std::array<uint8_t, 4> Hex8(const std::string& what, const std::string& text);
