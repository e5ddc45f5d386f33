#pragma once

#include <cstdint>

namespace kalvento::rt::db {

// Byte-range locks as other DBF/NTX programs place them: one byte per record far
// past the data, so nobody ever reads a locked byte. Offsets are from the start of
// the .dbf file.
inline constexpr int64_t kLockBase = 1000000000;        // append/header lock
inline constexpr int64_t kFileLockLength = 1000000000;  // FLock: base and every record byte
inline constexpr int64_t RecordLockOffset(uint32_t recNo) { return kLockBase + recNo; }
// The byte that stands for "the table is open": shared opens hold a read lock on
// it for as long as they stay open, an exclusive open a write lock. It lies far
// beyond every data and record-lock byte.
inline constexpr int64_t kShareLockOffset = int64_t{1} << 62;

// Locks on one open file description (F_OFD_SETLK): they belong to the opened
// table, not to the process, so two work areas of one process holding the same
// table lock against each other and closing one never drops the other's locks.
// All calls are non-blocking; a held lock answers false.
bool TryWriteLock(int fd, int64_t start, int64_t length);
bool TryReadLock(int fd, int64_t start, int64_t length);
void Unlock(int fd, int64_t start, int64_t length);
// Waits for the write lock (no timeout); used only for the short header lock.
void WaitWriteLock(int fd, int64_t start, int64_t length);

}  // namespace kalvento::rt::db
