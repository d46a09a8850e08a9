#include "walk/TreeWalk.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr const char* kReasonWords[kNotReadReasons] = {
    "permission denied", "folder loop",   "changed during the scan", "too many open files",
    "read error",        "path too long", "out of memory",
};

} // namespace

const char* NotReadWords(NotRead reason) {
    return kReasonWords[static_cast<std::size_t>(reason)];
}

int CWalkProblems::Total() const {
    return std::accumulate(m_counts.begin(), m_counts.end(), 0);
}

std::string CWalkProblems::Headline() const {
    const int total = Total();
    if (total == 0)
        return {};
    return std::to_string(total) + (total == 1 ? " folder" : " folders") + " could not be read";
}

std::vector<std::pair<std::string, int>> CWalkProblems::ByReason() const {
    std::vector<std::pair<std::string, int>> reasons;
    for (std::size_t i = 0; i < kNotReadReasons; ++i)
        if (m_counts[i] > 0)
            reasons.emplace_back(kReasonWords[i], m_counts[i]);
    std::stable_sort(reasons.begin(), reasons.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return reasons;
}

std::string CWalkProblems::Summary() const {
    std::string text = Headline();
    const char* separator = ": ";
    for (const auto& [words, count] : ByReason()) {
        text.append(separator).append(std::to_string(count)).append(" ").append(words);
        separator = ", ";
    }
    return text;
}
