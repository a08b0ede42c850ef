#pragma once

#include <utility>

#include <unistd.h>

namespace pimoko {

// A file descriptor of the system's file calls, closed when this goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            close();
            fd_ = other.release();
        }
        return *this;
    }
    ~FileDescriptor() { close(); }
    int get() const { return fd_; }
    // Hands the descriptor over; it is no longer closed here.
    int release() { return std::exchange(fd_, -1); }

private:
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    int fd_;
};

} // namespace pimoko
