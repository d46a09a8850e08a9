#pragma once
// Numbers as the windows and the reports write them: counts with thousands grouped by
// commas ("1,234"), sizes in readable units ("812 bytes", "1.4 MB"). Sizes count in
// steps of 1,024, as the file managers of both systems' traditions label them (KB, MB,
// GB, TB), with one decimal from a kilobyte up; the exact bytes are GroupDigits' job.
#include <cstdint>
#include <string>

std::string GroupDigits(std::uint64_t n);

std::string ReadableSize(std::uint64_t bytes);
