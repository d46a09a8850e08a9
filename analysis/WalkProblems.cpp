#include "analysis/TreeWalk.h"

#include <numeric>

namespace {

constexpr const char* kReasonWords[kNotReadReasons] = {
    "permission denied",   "folder loop", "changed during the scan",
    "too many open files", "read error",  "path too long",
};

} // namespace

int CWalkProblems::Total() const {
    return std::accumulate(m_counts.begin(), m_counts.end(), 0);
}

std::string CWalkProblems::Headline() const {
    const int total = Total();
    if (total == 0)
        return {};
    return std::to_string(total) + (total == 1 ? " folder" : " folders") + " could not be read";
}

std::string CWalkProblems::Summary() const {
    std::string text = Headline();
    const char* separator = ": ";
    for (std::size_t i = 0; i < kNotReadReasons; ++i) {
        if (m_counts[i] == 0)
            continue;
        text += separator;
        text += std::to_string(m_counts[i]) + " " + kReasonWords[i];
        separator = ", ";
    }
    return text;
}
