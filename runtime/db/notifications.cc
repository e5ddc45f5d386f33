#include "runtime/db/notifications.h"

#include <algorithm>

#include "runtime/runtime_error.h"

namespace kalvento::rt::db {

void NotificationList::add(const Value& client) {
  if (!client.isObject() || dynamic_cast<NotificationClient*>(client.object().get()) == nullptr)
    throw RuntimeError("data type error", "DbRegisterClient erwartet ein Objekt mit notify");
  if (std::find(clients_.begin(), clients_.end(), client.object()) == clients_.end())
    clients_.push_back(client.object());
}

void NotificationList::remove(const Value& client) {
  if (!client.isObject()) return;
  auto it = std::find(clients_.begin(), clients_.end(), client.object());
  if (it != clients_.end()) clients_.erase(it);
}

void NotificationList::send(int kind) {
  if (depth_ > 0 || clients_.empty()) return;
  // A client may change the list while it is told; tell those registered now.
  std::vector<std::shared_ptr<Object>> now = clients_;
  for (const std::shared_ptr<Object>& client : now) {
    if (depth_ > 0) break;
    if (auto* c = dynamic_cast<NotificationClient*>(client.get()))
      c->notify(kDbNotifyEvent, kind, Value());
  }
}

}  // namespace kalvento::rt::db
