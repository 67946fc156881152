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
// condition needs is a record of a static pool; past the pool's end, a record of its own from
// the process heap, given back when the mutex is destroyed or the library unloaded.
//
// The definitions take winpthreads' own declarations, so that a runtime whose calls differ fails
// to compile here; the build reads the library's link map and fails if any object of winpthreads
// was linked all the same (cmake/link-map.cmake).
#include "control/com/thread_runtime.h"

#include <windows.h>
#include <pthread.h>

#include <cerrno>
#include <cstdint>
#include <type_traits>

namespace {

// A slot holds a record's address once used; before that, zero or one of the static
// initialisers, which the runtime writes into its own statics.
static_assert(std::is_same_v<pthread_mutex_t, std::intptr_t> && std::is_same_v<pthread_cond_t, std::intptr_t>);
static_assert(PTHREAD_MUTEX_INITIALIZER == -1 && PTHREAD_RECURSIVE_MUTEX_INITIALIZER == -3 &&
              PTHREAD_ERRORCHECK_MUTEX_INITIALIZER == -2 && PTHREAD_COND_INITIALIZER == -1 && PTHREAD_ONCE_INIT == 0);

// A recursive lock and a condition on it. All zero is free and unlocked.
struct Record {
    SRWLOCK lock;
    CONDITION_VARIABLE condition;
    volatile LONG owner;  // the locking thread's identifier
    unsigned depth;
    volatile LONG used;
    Record* next_from_heap;  // the records taken from the heap, for the unload
};

constexpr int kRecords = 32;
Record g_records[kRecords];
// The records taken from the heap and not given back yet, under their lock.
Record* g_from_heap = nullptr;
SRWLOCK g_heap_lock = SRWLOCK_INIT;
// What runs a once: recursive, so that a once that starts another works.
Record g_once;

bool FromPool(const Record* record) { return record >= g_records && record < g_records + kRecords; }

// A free record: the pool's first, or one from the heap; null when memory has run out.
Record* Take() {
    for (Record& record : g_records) {
        if (::InterlockedCompareExchange(&record.used, 1, 0) == 0) return &record;
    }
    auto* const record = static_cast<Record*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Record)));
    if (record == nullptr) return nullptr;
    ::AcquireSRWLockExclusive(&g_heap_lock);
    record->next_from_heap = g_from_heap;
    g_from_heap = record;
    ::ReleaseSRWLockExclusive(&g_heap_lock);
    return record;
}

void Give(Record* record) {
    if (FromPool(record)) {
        record->depth = 0;
        record->owner = 0;
        ::InterlockedExchange(&record->used, 0);
        return;
    }
    ::AcquireSRWLockExclusive(&g_heap_lock);
    for (Record** link = &g_from_heap; *link != nullptr; link = &(*link)->next_from_heap) {
        if (*link == record) {
            *link = record->next_from_heap;
            break;
        }
    }
    ::ReleaseSRWLockExclusive(&g_heap_lock);
    ::HeapFree(::GetProcessHeap(), 0, record);
}

// The record a mutex's or a condition's slot names; the static initialisers and zero name none
// yet, and the first use takes one. Null when there was none to take.
Record* RecordOf(std::intptr_t* slot) {
    void* const seen = ::InterlockedCompareExchangePointer(reinterpret_cast<void**>(slot), nullptr, nullptr);
    const auto value = reinterpret_cast<std::intptr_t>(seen);
    if (value > 0 || value < -3) return static_cast<Record*>(seen);
    Record* const taken = Take();
    if (taken == nullptr) return nullptr;
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

int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*) {
    *mutex = PTHREAD_MUTEX_INITIALIZER;
    return 0;
}

int pthread_mutex_destroy(pthread_mutex_t* mutex) {
    void* const held = ::InterlockedExchangePointer(reinterpret_cast<void**>(mutex),
                                                    reinterpret_cast<void*>(PTHREAD_MUTEX_INITIALIZER));
    const auto value = reinterpret_cast<std::intptr_t>(held);
    if (value > 0 || value < -3) Give(static_cast<Record*>(held));
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
    Record* const record = RecordOf(mutex);
    if (record == nullptr) return ENOMEM;
    Lock(*record);
    return 0;
}

// A mutex that its caller holds has its record.
int pthread_mutex_unlock(pthread_mutex_t* mutex) {
    Unlock(*RecordOf(mutex));
    return 0;
}

// The mutex is held once or more by the caller: all of it is let go while waiting.
int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    Record* const record = RecordOf(condition);
    if (record == nullptr) return ENOMEM;
    Record& waits_on = *record;
    Record& held = *RecordOf(mutex);
    const unsigned depth = held.depth;
    held.depth = 0;
    ::InterlockedExchange(&held.owner, 0);
    ::SleepConditionVariableSRW(&waits_on.condition, &held.lock, INFINITE, 0);
    ::InterlockedExchange(&held.owner, Me());
    held.depth = depth;
    return 0;
}

int pthread_cond_broadcast(pthread_cond_t* condition) {
    Record* const record = RecordOf(condition);
    if (record == nullptr) return ENOMEM;
    ::WakeAllConditionVariable(&record->condition);
    return 0;
}

int pthread_once(pthread_once_t* once, void (*function)()) {
    if (::InterlockedCompareExchange(once, 0, 0) != 0) return 0;
    Lock(g_once);
    if (*once == 0) {
        function();
        ::InterlockedExchange(once, 1);
    }
    Unlock(g_once);
    return 0;
}

int pthread_key_create(pthread_key_t* key, void (*destructor)(void*)) {
    const LONG made = ::InterlockedIncrement(&g_key_count) - 1;
    if (made >= kKeys) return EAGAIN;
    g_keys[made].destructor = destructor;
    g_keys[made].index = ::FlsAlloc(kThreadEnds[made]);
    if (g_keys[made].index == FLS_OUT_OF_INDEXES) return EAGAIN;
    *key = static_cast<unsigned>(made);
    return 0;
}

void* pthread_getspecific(pthread_key_t key) { return ::FlsGetValue(g_keys[key].index); }

int pthread_setspecific(pthread_key_t key, const void* value) {
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
// later calls back into the unloaded library. The records from the heap of the runtime's
// statics, never destroyed, go then; the emergency pool last.
void ReleaseRuntime() noexcept {
    const LONG made = ::InterlockedCompareExchange(&g_key_count, 0, 0);
    for (LONG i = 0; i < made && i < kKeys; ++i) {
        if (g_keys[i].index != FLS_OUT_OF_INDEXES) ::FlsFree(g_keys[i].index);
        g_keys[i].index = FLS_OUT_OF_INDEXES;
    }
    while (g_from_heap != nullptr) Give(g_from_heap);
    __gnu_cxx::__freeres();
}

}  // namespace selvane::com
