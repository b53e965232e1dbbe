#pragma once

// Clang's thread-safety analysis attributes; no-ops under GCC. Every field that a lock guards says so with
// VT_GUARDED_BY, so the reader sees which lock to take and clang checks it (-Wthread-safety).
#if defined(__clang__)
#define VT_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define VT_THREAD_ANNOTATION(x)
#endif

#define VT_CAPABILITY(name) VT_THREAD_ANNOTATION(capability(name))
#define VT_SCOPED_CAPABILITY VT_THREAD_ANNOTATION(scoped_lockable)
#define VT_GUARDED_BY(lock) VT_THREAD_ANNOTATION(guarded_by(lock))
#define VT_PT_GUARDED_BY(lock) VT_THREAD_ANNOTATION(pt_guarded_by(lock))
#define VT_REQUIRES(...) VT_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define VT_ACQUIRE(...) VT_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define VT_RELEASE(...) VT_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define VT_TRY_ACQUIRE(...) VT_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
#define VT_EXCLUDES(...) VT_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define VT_NO_THREAD_SAFETY_ANALYSIS VT_THREAD_ANNOTATION(no_thread_safety_analysis)
