// walk-limit DIR [THREADS]: what a walk of DIR costs when nothing is ordered, the yardstick
// bench/scan.sh holds the scan against. THREADS (default: the number of cores) share a
// stack of open folders; each lists its folder with getdents64, counts every entry that is
// not a folder by its extension in a map of its own, and opens each subfolder (relative to
// its parent, links not followed) onto the stack. The maps are merged at the end. Prints
// the number of files and of extensions.
#include "platform/core/ExtensionKey.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};
using Counts = std::unordered_map<std::string, long, Hash, std::equal_to<>>;

std::mutex g_mutex;
std::condition_variable g_cv;
std::vector<int> g_stack; // open folders not listed yet
int g_busy = 0;           // threads listing a folder

void List(int fd, Counts& counts, std::vector<int>& found) {
    alignas(8) static thread_local char buffer[32 * 1024];
    long got;
    while ((got = ::getdents64(fd, buffer, sizeof buffer)) > 0)
        for (long at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])))
                continue;
            if (entry->d_type == DT_DIR) {
                const int child =
                    ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (child >= 0)
                    found.push_back(child);
                continue;
            }
            const std::string_view key = ExtensionKey(name);
            if (const auto it = counts.find(key); it != counts.end())
                ++it->second;
            else
                counts.emplace(key, 1);
        }
    ::close(fd);
}

void Work(Counts& counts) {
    std::vector<int> found;
    std::unique_lock lock(g_mutex);
    for (;;) {
        g_cv.wait(lock, [] { return !g_stack.empty() || g_busy == 0; });
        if (g_stack.empty())
            return g_cv.notify_all(); // nothing left and nobody can add more
        const int fd = g_stack.back();
        g_stack.pop_back();
        ++g_busy;
        lock.unlock();
        found.clear();
        List(fd, counts, found);
        lock.lock();
        --g_busy;
        g_stack.insert(g_stack.end(), found.begin(), found.end());
        if (!found.empty() || g_busy == 0)
            g_cv.notify_all();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: walk-limit DIR [THREADS]\n");
        return 2;
    }
    const unsigned threads = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2]))
                                      : std::max(1u, std::thread::hardware_concurrency());
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit); // a wide tree holds many folders open on the stack
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    const int root = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        std::perror(argv[1]);
        return 2;
    }
    g_stack.push_back(root);
    std::vector<Counts> counts(threads);
    std::vector<std::thread> pool;
    for (unsigned i = 0; i < threads; ++i)
        pool.emplace_back(Work, std::ref(counts[i]));
    for (std::thread& t : pool)
        t.join();
    Counts& all = counts[0];
    for (unsigned i = 1; i < threads; ++i)
        for (const auto& [key, n] : counts[i])
            all[key] += n;
    long files = 0;
    for (const auto& [key, n] : all)
        files += n;
    std::printf("files\t%ld\nextensions\t%zu\n", files, all.size());
    return 0;
}
