#pragma once
// What a child process hands back to the test: a list of byte strings, each written with
// its length so that any byte (NUL, newline, invalid UTF-8) survives the trip.
#include <string>
#include <vector>

inline void Put(std::string& out, const std::string& field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

inline std::vector<std::string> Fields(const std::string& out) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (at < out.size()) {
        const std::size_t colon = out.find(':', at);
        if (colon == std::string::npos)
            break;
        const std::size_t size = std::stoul(out.substr(at, colon - at));
        fields.push_back(out.substr(colon + 1, size));
        at = colon + 1 + size;
    }
    return fields;
}
