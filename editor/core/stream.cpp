// Byte streams: a C file with 64-bit seeks, and a memory stream that can fail on demand.
#define _FILE_OFFSET_BITS 64  // fseeko and ftello take 64-bit offsets everywhere

#include "editor/core/stream.h"

#include <sys/types.h>

#include <algorithm>
#include <cstring>

static_assert(sizeof(off_t) == 8, "file positions must be 64-bit");

FileStream::~FileStream() {
  if (file_) std::fclose(file_);
}

std::unique_ptr<FileStream> FileStream::open(const char* path, const char* mode) {
  std::FILE* file = std::fopen(path, mode);
  return file ? std::make_unique<FileStream>(file) : nullptr;
}

bool FileStream::close() {
  if (!file_) return false;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

size_t FileStream::read(void* data, size_t bytes) { return file_ ? std::fread(data, 1, bytes, file_) : 0; }

size_t FileStream::write(const void* data, size_t bytes) { return file_ ? std::fwrite(data, 1, bytes, file_) : 0; }

bool FileStream::seek(int64_t offset, SeekFrom from) {
  const int origin = from == SeekFrom::end ? SEEK_END : from == SeekFrom::current ? SEEK_CUR : SEEK_SET;
  return file_ && fseeko(file_, static_cast<off_t>(offset), origin) == 0;
}

int64_t FileStream::tell() { return file_ ? static_cast<int64_t>(ftello(file_)) : -1; }

bool FileStream::flush() { return file_ && std::fflush(file_) == 0; }

size_t MemoryStream::read(void* out, size_t bytes) {
  int64_t end = static_cast<int64_t>(data.size());
  if (fail_read_at >= 0) end = std::min(end, fail_read_at);
  if (pos_ >= end) return 0;
  const size_t n = static_cast<size_t>(std::min<int64_t>(end - pos_, static_cast<int64_t>(bytes)));
  std::memcpy(out, data.data() + pos_, n);
  pos_ += static_cast<int64_t>(n);
  return n;
}

size_t MemoryStream::write(const void* in, size_t bytes) {
  size_t n = bytes;
  if (fail_write_at >= 0) n = pos_ >= fail_write_at ? 0 : std::min<size_t>(n, fail_write_at - pos_);
  if (data.size() < static_cast<size_t>(pos_) + n) data.resize(static_cast<size_t>(pos_) + n);
  if (n) std::memcpy(data.data() + pos_, in, n);
  pos_ += static_cast<int64_t>(n);
  return n;
}

bool MemoryStream::seek(int64_t offset, SeekFrom from) {
  const int64_t base = from == SeekFrom::end ? static_cast<int64_t>(data.size()) : from == SeekFrom::current ? pos_ : 0;
  const int64_t target = base + offset;
  if (target < 0) return false;
  pos_ = target;
  return true;
}
