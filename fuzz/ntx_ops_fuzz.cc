// Fuzzes the NTX tree logic: the input is a program of inserts, removes,
// seeks and cursor steps on a fresh index (large keys, so pages hold few
// items and splits, borrowing and merges happen all the time). The index
// must agree with a plain set of entries and stay sound; any disagreement
// aborts.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>

#include "runtime/db/ntx/ntx_file.h"
#include "runtime/runtime_error.h"

using kalvento::rt::RuntimeError;
using kalvento::rt::db::KeySpec;
using kalvento::rt::db::NtxFile;

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  // The first byte picks the key size: from 2 items a page to 40.
  static const int kSizes[] = {330, 160, 100, 40, 8};
  const int keySize = kSizes[data[0] % 5];
  const std::string path = "/dev/shm/ntx_ops_fuzz_" + std::to_string(::getpid()) + ".ntx";
  auto keyOf = [keySize](uint8_t b) {
    std::string key(static_cast<size_t>(keySize), ' ');
    key[0] = static_cast<char>('A' + (b % 24));
    key[keySize - 1] = static_cast<char>('a' + (b / 24) % 8);
    return key;
  };
  std::set<std::pair<std::string, uint32_t>> model;
  auto ntx = NtxFile::Create(path, "name", KeySpec{'C', keySize, 0}, false, {});
  for (size_t i = 1; i + 1 < size; i += 2) {
    const uint8_t op = data[i], arg = data[i + 1];
    const std::string key = keyOf(arg);
    // Record numbers never repeat under different keys, as in a real table.
    const uint32_t rec = 1 + arg * 32u + (op >> 3);
    switch (op & 7) {
      case 0:
      case 1:
      case 2: Require(ntx->insert(key, rec) == model.insert({key, rec}).second); break;
      case 3:
      case 4: Require(ntx->remove(key, rec) == (model.erase({key, rec}) == 1)); break;
      case 5: {
        auto it = model.lower_bound({key.substr(0, 1), 0});
        bool expect = it != model.end() && it->first[0] == key[0];
        Require(ntx->seek(key.substr(0, 1), true) == expect);
        Require(it == model.end() ? ntx->eof() : ntx->recNo() == it->second && ntx->key() == it->first);
        break;
      }
      case 6: {
        // Walk a few steps from the cursor, comparing with the model. The
        // cursor's own entry may have been removed meanwhile: then the first
        // step goes to what followed it.
        if (ntx->eof()) break;
        auto it = model.lower_bound({ntx->key(), ntx->recNo()});
        bool on = it != model.end() && it->first == ntx->key() && it->second == ntx->recNo();
        for (int s = 0; s < 3; ++s) {
          ntx->next();
          if (on || s > 0) ++it;
          Require(it == model.end() ? ntx->eof() : !ntx->eof() && ntx->recNo() == it->second);
          if (ntx->eof()) break;
        }
        break;
      }
      default: {
        if (ntx->eof()) break;
        auto it = model.lower_bound({ntx->key(), ntx->recNo()});
        ntx->prev();
        if (it == model.begin()) {
          Require(ntx->bof() && (model.empty() ? ntx->eof() : ntx->recNo() == model.begin()->second));
        } else {
          Require(ntx->recNo() == std::prev(it)->second && ntx->key() == std::prev(it)->first);
        }
        break;
      }
    }
  }
  Require(ntx->check(0, true).ok);
  auto it = model.begin();
  for (ntx->first(); !ntx->eof(); ntx->next(), ++it) {
    Require(it != model.end() && ntx->key() == it->first && ntx->recNo() == it->second);
  }
  Require(it == model.end());
  ntx.reset();
  ::unlink(path.c_str());
  return 0;
}
