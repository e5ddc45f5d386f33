#pragma once

#include <memory>
#include <vector>

#include "runtime/value.h"

namespace kalvento::rt::db {

// The event code of every work-area notification.
inline constexpr int kDbNotifyEvent = 1049600;

// The kinds a client is told about (the second argument of notify).
enum NotifyKind : int {
  kNotifyDeleteRecall = 2,  // the current record was marked deleted or recalled
  kNotifyBeforeMove = 8,    // the record pointer is about to move
  kNotifySkipped = 9,       // after a skip
  kNotifyPositioned = 10,   // after a go-to, go-top, go-bottom or seek
  kNotifyAppended = 11,     // after an append
  kNotifyClosing = 12,      // the work area is about to close its table
};

// What a notification client must offer: the runtime calls notify(event, kind,
// mp2) for each notification of the work area it is registered with. mp2 is NIL.
class NotificationClient {
 public:
  virtual ~NotificationClient() = default;
  virtual void notify(int event, int kind, const Value& mp2) = 0;
};

// The clients of one work area and its suspension depth. Suspend and resume
// nest: notifications flow only at depth 0. Reset sets the depth to 0.
// Clients are held by reference, as the platform holds objects; a client may
// register, deregister or move the pointer from inside notify.
class NotificationList {
 public:
  // A RuntimeError if `client` is no object offering notify. Registering twice
  // keeps one entry.
  void add(const Value& client);
  void remove(const Value& client);
  void suspend() { ++depth_; }
  void resume() {
    if (depth_ > 0) --depth_;
  }
  void reset() { depth_ = 0; }
  bool suspended() const { return depth_ > 0; }
  int depth() const { return depth_; }
  size_t size() const { return clients_.size(); }
  void send(int kind);

 private:
  std::vector<std::shared_ptr<Object>> clients_;
  int depth_ = 0;
};

}  // namespace kalvento::rt::db
