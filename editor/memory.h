// Allocation that retries before giving up, and the fatal exit when memory runs out.
#pragma once

#include <windows.h>

#include <cstdint>

// The wait after a failed attempt (2000 ms on the calling thread); tests replace it.
using RetryWaitFn = void (*)(DWORD milliseconds);
extern RetryWaitFn g_alloc_retry_wait;

constexpr int ALLOC_ATTEMPTS = 3;
constexpr DWORD ALLOC_RETRY_WAIT_MS = 2000;

// Up to three heap attempts, each failure followed by a wait; null after the third.
// Free the block with free_block. Sizes beyond the address space fail without wrapping.
void* alloc_with_retry(uint64_t bytes);
// One heap attempt without a wait; null when it fails.
void* alloc_once(uint64_t bytes);
void free_block(void* block);

// Shows message 14 and ends the program with exit code 1.
[[noreturn]] void fatal_out_of_memory();
