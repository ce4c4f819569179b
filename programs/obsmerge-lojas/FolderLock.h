#pragma once
// The lock on a report folder: one runner at a time. An advisory lock (flock) on the file .lock
// in the folder, held as long as the object lives; the system drops it when the process ends,
// however it ends, so a killed runner never leaves the folder locked.

#include <filesystem>

class FolderLock {
 public:
  // Takes the lock; Held() is false when another process holds it.
  explicit FolderLock(const std::filesystem::path& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool Held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};
