#include "module/IdSeries.h"

#include <map>

#include "module/Csv.h"

namespace {

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

IdSeries refused(std::string error) { return {{}, std::move(error)}; }

}  // namespace

IdSeries SeriesFromStart(const std::string& startText, const std::string& countText) {
    const Em4100Parse start = ParseEm4100Id(startText);
    if (!start.id) return refused("Start: " + start.error);
    const std::string count = trimmed(countText);
    long n = 0;
    for (char c : count) {
        if (c < '0' || c > '9' || n > kMaxSeriesCount) {
            n = -1;
            break;
        }
        n = n * 10 + (c - '0');
    }
    if (count.empty() || n < 1 || n > kMaxSeriesCount)
        return refused("Count: '" + count + "' is not a number from 1 to " +
                       std::to_string(kMaxSeriesCount));
    const unsigned first = Em4100Card(*start.id);
    const unsigned long last = first + static_cast<unsigned long>(n) - 1;
    if (last > 65535)
        return refused("the card numbers would run past 65535 (from " + std::to_string(first) +
                       ", " + count + " tags); start a new facility instead");
    IdSeries series;
    for (unsigned long card = first; card <= last; ++card)
        series.ids.push_back(WithCard(*start.id, static_cast<unsigned>(card)));
    return series;
}

IdSeries SeriesFromText(const std::string& text) {
    IdSeries series;
    std::map<Em4100Id, size_t> lineOf;
    size_t lineNumber = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = trimmed(text.substr(at, end - at));
        at = end + 1;
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> fields = CsvFields(line);
        Em4100Parse parsed = ParseEm4100Id(fields[0]);
        if (!parsed.id && fields.size() >= 2 && fields[0].find(',') == std::string::npos) {
            const Em4100Parse pair = ParseEm4100Id(fields[0] + "," + fields[1]);
            if (pair.id || trimmed(fields[0]).size() <= 3) parsed = pair;
        }
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (!parsed.id) return refused(where + parsed.error);
        const auto earlier = lineOf.find(*parsed.id);
        if (earlier != lineOf.end())
            return refused(where + Em4100Hex(*parsed.id) + " is already on line " +
                           std::to_string(earlier->second));
        lineOf.emplace(*parsed.id, lineNumber);
        series.ids.push_back(*parsed.id);
    }
    if (series.ids.empty()) return refused("the file holds no ID");
    return series;
}
