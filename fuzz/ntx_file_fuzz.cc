// Fuzzes the NTX header and page parser: the input is an index file. It is
// opened, walked both ways, searched, checked, and changed; every fault must
// be a RuntimeError, never a crash, a hang or a wild access.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "runtime/db/ntx/ntx_file.h"
#include "runtime/runtime_error.h"

using kalvento::rt::RuntimeError;
using kalvento::rt::db::NtxFile;

namespace {

std::string FuzzPath() {
  static const std::string path = "/tmp/ntx_file_fuzz_" + std::to_string(::getpid()) + ".ntx";
  return path;
}

void Exercise(NtxFile& ntx, const uint8_t* data, size_t size, bool change) {
  int steps = 0;
  for (ntx.first(); !ntx.eof() && steps < 5000; ntx.next()) ++steps;
  steps = 0;
  for (ntx.last(); !ntx.bof() && steps < 5000; ntx.prev()) ++steps;
  const size_t ks = static_cast<size_t>(ntx.keySize());
  // Keys taken from the input itself, so that they often match.
  for (size_t at = 0; at + ks <= size && at < 8 * 64; at += 64) {
    std::string key(reinterpret_cast<const char*>(data + at), ks);
    ntx.seek(key, (at & 64) != 0);
    ntx.seek(key.substr(0, ks / 2), true);
    if (change) {
      ntx.insert(key, static_cast<uint32_t>(at + 1));
      ntx.remove(key, static_cast<uint32_t>(at + 1));
      ntx.insert(key, static_cast<uint32_t>(at + 2));
    }
  }
  ntx.check(100, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string path = FuzzPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  for (bool change : {false, true}) {
    try {
      // The changing pass runs shared for half the inputs: every operation
      // then takes the lock and rereads the header.
      const bool shared = change && size > 0 && (data[size - 1] & 1) != 0;
      auto ntx = NtxFile::Open(path, {.readOnly = !change, .shared = shared});
      Exercise(*ntx, data, size, change);
      if (change) ntx->check(0, false);
    } catch (const RuntimeError&) {
    }
  }
  return 0;
}
