// Group commit: commits are numbered in the order they are made, and a
// writer waits until its commit is on disk. One flush serves every commit
// made before it started, so writers that commit while a flush runs share
// the next one instead of flushing one after another.
#ifndef ORVEX_DOCSTORE_GROUP_COMMIT_H_
#define ORVEX_DOCSTORE_GROUP_COMMIT_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>

#include "docstore/mutex.h"

namespace orvex::docstore {

class GroupCommit {
 public:
  // Numbers a commit just made (called in commit order): its ticket.
  uint64_t Committed() { return ++committed_; }

  // Returns once the commit of `ticket` is on disk. `flush` puts every
  // commit made so far on disk (throwing when it cannot); it runs on one
  // waiting thread at a time, and a failure reaches the thread that ran it.
  template <class Flush>
  void WaitDurable(uint64_t ticket, Flush&& flush) ORVEX_EXCLUDES(mutex_) {
    MutexLock lock(mutex_);
    while (synced_ < ticket) {
      if (syncing_) {
        lock.Wait(done_);
        continue;
      }
      syncing_ = true;
      const uint64_t target = committed_.load();
      lock.Unlock();
      try {
        flush();
      } catch (...) {
        lock.Lock();
        syncing_ = false;
        done_.notify_all();
        throw;
      }
      lock.Lock();
      syncing_ = false;
      if (target > synced_) synced_ = target;
      done_.notify_all();
    }
  }

 private:
  std::atomic<uint64_t> committed_{0};
  Mutex mutex_;
  std::condition_variable_any done_;
  uint64_t synced_ ORVEX_GUARDED_BY(mutex_) = 0;  // the last ticket known on disk
  bool syncing_ ORVEX_GUARDED_BY(mutex_) = false;
};

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_GROUP_COMMIT_H_
