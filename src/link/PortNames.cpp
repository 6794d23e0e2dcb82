#include <algorithm>
#include <cctype>
#include <cstring>

#include "link/PortBackend.h"

void SortPortNames(std::vector<std::string>& names) {
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) keyed.emplace_back(lower(name), std::move(name));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return std::strcoll(a.first.c_str(), b.first.c_str()) < 0;
    });
    names.clear();
    for (auto& entry : keyed) names.push_back(std::move(entry.second));
}
