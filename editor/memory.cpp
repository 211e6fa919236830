// Heap allocation with retries, and the out-of-memory exit.
#include "editor/memory.h"

#include <limits>

#include "editor/message_box.h"

namespace {

// A timed wait on the thread's own handle: it never signals, so the wait always runs out.
void wait_on_own_thread(DWORD milliseconds) { WaitForSingleObject(GetCurrentThread(), milliseconds); }

}  // namespace

RetryWaitFn g_alloc_retry_wait = wait_on_own_thread;

void* alloc_once(uint64_t bytes) {
  if (bytes > std::numeric_limits<SIZE_T>::max()) return nullptr;
  return HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(bytes));
}

void* alloc_with_retry(uint64_t bytes) {
  for (int attempt = 0; attempt < ALLOC_ATTEMPTS; ++attempt) {
    if (void* block = alloc_once(bytes)) return block;
    g_alloc_retry_wait(ALLOC_RETRY_WAIT_MS);
  }
  return nullptr;
}

void free_block(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

void fatal_out_of_memory() {
  show_message(14, MessageKind::error);
  ExitProcess(1);
}
