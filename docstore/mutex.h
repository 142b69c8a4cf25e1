// The docstore's mutex, with the annotations clang's -Wthread-safety checks:
// a member marked ORVEX_GUARDED_BY(m) may be touched only while m is held,
// a function marked ORVEX_REQUIRES(m) only called with it held. Other
// compilers see plain std::mutex code.
#ifndef ORVEX_DOCSTORE_MUTEX_H_
#define ORVEX_DOCSTORE_MUTEX_H_

#include <condition_variable>
#include <mutex>

#if defined(__clang__)
#define ORVEX_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define ORVEX_THREAD_ANNOTATION(x)
#endif

#define ORVEX_CAPABILITY(x) ORVEX_THREAD_ANNOTATION(capability(x))
#define ORVEX_SCOPED_CAPABILITY ORVEX_THREAD_ANNOTATION(scoped_lockable)
#define ORVEX_GUARDED_BY(x) ORVEX_THREAD_ANNOTATION(guarded_by(x))
#define ORVEX_REQUIRES(...) ORVEX_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ORVEX_ACQUIRE(...) ORVEX_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define ORVEX_RELEASE(...) ORVEX_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define ORVEX_EXCLUDES(...) ORVEX_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))

namespace orvex::docstore {

class ORVEX_CAPABILITY("mutex") Mutex {
 public:
  void lock() ORVEX_ACQUIRE() { mutex_.lock(); }
  void unlock() ORVEX_RELEASE() { mutex_.unlock(); }

 private:
  std::mutex mutex_;
};

// Holds a Mutex for its scope. Unlock and Lock let go of it and take it back
// in the middle (for work that must not run under it); a condition wait
// lets go and takes back the same way.
class ORVEX_SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) ORVEX_ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
  ~MutexLock() ORVEX_RELEASE() {
    if (held_) mutex_.unlock();
  }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

  void Unlock() ORVEX_RELEASE() {
    mutex_.unlock();
    held_ = false;
  }
  void Lock() ORVEX_ACQUIRE() {
    mutex_.lock();
    held_ = true;
  }
  void Wait(std::condition_variable_any& condition) { condition.wait(mutex_); }
  template <class Duration>
  std::cv_status WaitFor(std::condition_variable_any& condition, Duration timeout) {
    return condition.wait_for(mutex_, timeout);
  }

 private:
  Mutex& mutex_;
  bool held_ = true;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_MUTEX_H_
