#pragma once
// An open file descriptor owned by a scope.

#include "platform/FileOps.h"

namespace tabulo {

// A descriptor closed (through Files()) on every path out.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) Files().Close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the close's own failure (a delayed write error).
    int Close() {
        int r = Files().Close(fd_);
        fd_ = -1;
        return r;
    }

  private:
    int fd_;
};

}  // namespace tabulo
