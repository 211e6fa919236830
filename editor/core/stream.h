// Byte streams with 64-bit positions: the interface file formats use, over a C file or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

enum class SeekFrom { begin, current, end };

class Stream {
 public:
  virtual ~Stream() = default;
  // Bytes actually read; fewer than asked at the end of the data or on an error.
  virtual size_t read(void* data, size_t bytes) = 0;
  // Bytes actually written; fewer than asked on an error.
  virtual size_t write(const void* data, size_t bytes) = 0;
  virtual bool seek(int64_t offset, SeekFrom from) = 0;
  // Current position, or -1 when it cannot be told.
  virtual int64_t tell() = 0;
  // Hands buffered bytes on to the medium; false when that fails.
  virtual bool flush() = 0;

  bool read_all(void* data, size_t bytes) { return read(data, bytes) == bytes; }
  bool write_all(const void* data, size_t bytes) { return write(data, bytes) == bytes; }
};

// A stream over a C file, with 64-bit seeks on every platform.
class FileStream : public Stream {
 public:
  // Takes over the file and closes it when destroyed (unless close() did).
  explicit FileStream(std::FILE* file) : file_(file) {}
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // Opens path with an fopen mode ("rb", "wb"); null when it cannot be opened.
  static std::unique_ptr<FileStream> open(const char* path, const char* mode);
  // Closes the file; false when closing reported an error (unwritten data lost).
  bool close();

  size_t read(void* data, size_t bytes) override;
  size_t write(const void* data, size_t bytes) override;
  bool seek(int64_t offset, SeekFrom from) override;
  int64_t tell() override;
  bool flush() override;

 private:
  std::FILE* file_;
};

// A growable stream in memory. It can be told to fail at a byte position (reads and
// writes stop short there) or to fail its flush.
class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : data(std::move(bytes)) {}

  size_t read(void* out, size_t bytes) override;
  size_t write(const void* in, size_t bytes) override;
  bool seek(int64_t offset, SeekFrom from) override;
  int64_t tell() override { return pos_; }
  bool flush() override { return !fail_flush; }

  std::vector<uint8_t> data;
  int64_t fail_read_at = -1;   // bytes at and after this position cannot be read
  int64_t fail_write_at = -1;  // bytes at and after this position cannot be written
  bool fail_flush = false;

 private:
  int64_t pos_ = 0;
};
