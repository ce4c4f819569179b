#include "programs/obsmerge-lojas/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FolderLock::FolderLock(const std::filesystem::path& folder) {
  fd_ = open((folder / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  held_ = fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) close(fd_);
}
