// The ten threading calls the static C++ runtime makes, answered with the system's own
// primitives (slim reader/writer locks, condition variables, fiber-local storage), so that
// mingw-w64's threading library, winpthreads, isn't linked into selvane.ocx at all.
//
// What called it: on 32-bit, loading the library registers its unwind tables (crtbegin's
// __register_frame_info, a once and a mutex); on both bitnesses, the first exception thrown on a
// thread reaches the runtime's per-thread exception globals through emulated thread-local
// storage (a once, a key, its value), and a function-local static is initialised under
// __cxa_guard_acquire (a once, a recursive mutex, a condition). winpthreads answers the first of
// those on a thread it didn't start by making a pthread_t for it, with a duplicate of the
// thread's handle, an event and its memory, and nothing gives them back when the library is
// unloaded: four handles a load under Wine. The runtime's emergency pool for exceptions, some
// 18 KB allocated at load and never freed, is given back at unload too (ReleaseRuntime).
//
// The runtime only ever locks, waits and runs once; these do just that. Every mutex is
// recursive (a plain one locked twice by its owner would only deadlock), and what a mutex or a
// condition needs is a record of a static pool, so that nothing is allocated.
#include "control/com/thread_runtime.h"

#include <windows.h>

#include <cerrno>
#include <cstdint>

namespace {

// A recursive lock and a condition on it. All zero is free and unlocked.
struct Record {
    SRWLOCK lock;
    CONDITION_VARIABLE condition;
    volatile LONG owner;  // the locking thread's identifier
    unsigned depth;
    volatile LONG used;
};

constexpr int kRecords = 32;
Record g_records[kRecords];
// What every mutex and condition shares once the pool is spent: correct, if coarse.
Record g_spare;
// What runs a once: recursive, so that a once that starts another works.
Record g_once;

Record* Take() {
    for (Record& record : g_records) {
        if (::InterlockedCompareExchange(&record.used, 1, 0) == 0) return &record;
    }
    return &g_spare;
}

void Give(Record* record) {
    if (record == &g_spare) return;
    record->depth = 0;
    record->owner = 0;
    ::InterlockedExchange(&record->used, 0);
}

// The record a mutex's or a condition's slot names; the static initialisers (-1, -2, -3) and
// zero name none yet, and the first use takes one.
Record* RecordOf(std::intptr_t* slot) {
    void* const seen = ::InterlockedCompareExchangePointer(reinterpret_cast<void**>(slot), nullptr, nullptr);
    const auto value = reinterpret_cast<std::intptr_t>(seen);
    if (value > 0 || value < -3) return static_cast<Record*>(seen);
    Record* const taken = Take();
    void* const before = ::InterlockedCompareExchangePointer(reinterpret_cast<void**>(slot), taken, seen);
    if (before == seen) return taken;
    Give(taken);
    return static_cast<Record*>(before);
}

LONG Me() { return static_cast<LONG>(::GetCurrentThreadId()); }

void Lock(Record& record) {
    if (::InterlockedCompareExchange(&record.owner, 0, 0) == Me()) {
        ++record.depth;
        return;
    }
    ::AcquireSRWLockExclusive(&record.lock);
    ::InterlockedExchange(&record.owner, Me());
    record.depth = 1;
}

void Unlock(Record& record) {
    if (--record.depth != 0) return;
    ::InterlockedExchange(&record.owner, 0);
    ::ReleaseSRWLockExclusive(&record.lock);
}

// Per-thread values: the runtime makes one key (emulated thread-local storage). Each key's
// destructor runs as its thread ends, through a callback of its own.
struct Key {
    DWORD index;
    void (*destructor)(void*);
};
constexpr LONG kKeys = 4;
Key g_keys[kKeys];
volatile LONG g_key_count = 0;

template <int N>
void WINAPI ThreadEnds(void* value) {
    if (value != nullptr && g_keys[N].destructor != nullptr) g_keys[N].destructor(value);
}
constexpr PFLS_CALLBACK_FUNCTION kThreadEnds[kKeys] = {&ThreadEnds<0>, &ThreadEnds<1>, &ThreadEnds<2>,
                                                      &ThreadEnds<3>};

}  // namespace

extern "C" {

int pthread_mutex_init(std::intptr_t* mutex, const unsigned*);
int pthread_mutex_destroy(std::intptr_t* mutex);
int pthread_mutex_lock(std::intptr_t* mutex);
int pthread_mutex_unlock(std::intptr_t* mutex);
int pthread_cond_wait(std::intptr_t* condition, std::intptr_t* mutex);
int pthread_cond_broadcast(std::intptr_t* condition);
int pthread_once(long* once, void (*function)());
int pthread_key_create(unsigned* key, void (*destructor)(void*));
void* pthread_getspecific(unsigned key);
int pthread_setspecific(unsigned key, const void* value);

int pthread_mutex_init(std::intptr_t* mutex, const unsigned*) {
    *mutex = -1;
    return 0;
}

int pthread_mutex_destroy(std::intptr_t* mutex) {
    void* const held = ::InterlockedExchangePointer(reinterpret_cast<void**>(mutex), reinterpret_cast<void*>(-1));
    const auto value = reinterpret_cast<std::intptr_t>(held);
    if (value > 0 || value < -3) Give(static_cast<Record*>(held));
    return 0;
}

int pthread_mutex_lock(std::intptr_t* mutex) {
    Lock(*RecordOf(mutex));
    return 0;
}

int pthread_mutex_unlock(std::intptr_t* mutex) {
    Unlock(*RecordOf(mutex));
    return 0;
}

// The mutex is held once or more by the caller: all of it is let go while waiting.
int pthread_cond_wait(std::intptr_t* condition, std::intptr_t* mutex) {
    Record& waits_on = *RecordOf(condition);
    Record& held = *RecordOf(mutex);
    const unsigned depth = held.depth;
    held.depth = 0;
    ::InterlockedExchange(&held.owner, 0);
    ::SleepConditionVariableSRW(&waits_on.condition, &held.lock, INFINITE, 0);
    ::InterlockedExchange(&held.owner, Me());
    held.depth = depth;
    return 0;
}

int pthread_cond_broadcast(std::intptr_t* condition) {
    ::WakeAllConditionVariable(&RecordOf(condition)->condition);
    return 0;
}

int pthread_once(long* once, void (*function)()) {
    if (::InterlockedCompareExchange(once, 0, 0) != 0) return 0;
    Lock(g_once);
    if (*once == 0) {
        function();
        ::InterlockedExchange(once, 1);
    }
    Unlock(g_once);
    return 0;
}

int pthread_key_create(unsigned* key, void (*destructor)(void*)) {
    const LONG made = ::InterlockedIncrement(&g_key_count) - 1;
    if (made >= kKeys) return EAGAIN;
    g_keys[made].destructor = destructor;
    g_keys[made].index = ::FlsAlloc(kThreadEnds[made]);
    if (g_keys[made].index == FLS_OUT_OF_INDEXES) return EAGAIN;
    *key = static_cast<unsigned>(made);
    return 0;
}

void* pthread_getspecific(unsigned key) { return ::FlsGetValue(g_keys[key].index); }

int pthread_setspecific(unsigned key, const void* value) {
    return ::FlsSetValue(g_keys[key].index, const_cast<void*>(value)) ? 0 : ENOMEM;
}

}  // extern "C"

// The static C++ runtime's own release of what it allocates once and keeps for the process's
// life (made for memory checkers): the emergency pool that exceptions fall back on when memory
// runs out, some 18 KB allocated as the library loads.
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace selvane::com {

// Freeing a key runs its destructor for the value every thread holds, and no thread that ends
// later calls back into the unloaded library. The emergency pool goes last.
void ReleaseRuntime() noexcept {
    const LONG made = ::InterlockedCompareExchange(&g_key_count, 0, 0);
    for (LONG i = 0; i < made && i < kKeys; ++i) {
        if (g_keys[i].index != FLS_OUT_OF_INDEXES) ::FlsFree(g_keys[i].index);
        g_keys[i].index = FLS_OUT_OF_INDEXES;
    }
    __gnu_cxx::__freeres();
}

}  // namespace selvane::com
