// Preloaded into the scan command (LD_PRELOAD) to make the system refuse on cue, as when a
// process or container reaches its thread limit, or memory runs out. Built twice:
// - with RZ_FAIL_THREADS: pthread_create fails with EAGAIN once RZ_FAIL_THREADS_AFTER
//   threads have been asked for;
// - with RZ_FAIL_MALLOC: malloc or aligned_alloc fails once, at the RZ_FAIL_MALLOC_AT-th
//   call of either (from 0) made on threads other than the main one (the walk's readers).
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <dlfcn.h>
#include <pthread.h>
#include <unistd.h>

namespace {

int Setting(const char* name) {
    const char* text = std::getenv(name);
    return text ? std::atoi(text) : -1;
}

} // namespace

#ifdef RZ_FAIL_THREADS
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*start)(void*), void* argument) noexcept {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static std::atomic<int> asked{0};
    const auto real = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
    const int allowed = Setting("RZ_FAIL_THREADS_AFTER");
    if (allowed >= 0 && asked.fetch_add(1) >= allowed)
        return EAGAIN;
    return real(thread, attributes, start, argument);
}
#endif

#ifdef RZ_FAIL_MALLOC
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_memalign(std::size_t alignment, std::size_t size);

namespace {
// Whether this call, counted with every other one, is the one to fail.
bool FailsNow() {
    static std::atomic<int> calls{0};
    return ::gettid() != ::getpid() && calls.fetch_add(1) == Setting("RZ_FAIL_MALLOC_AT");
}
} // namespace

extern "C" void* malloc(std::size_t size) noexcept {
    return FailsNow() ? nullptr : __libc_malloc(size);
}

// The walk takes the blocks of its folders and listings aligned: memory running out fails
// them as well.
extern "C" void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    return FailsNow() ? nullptr : __libc_memalign(alignment, size);
}
#endif
