#include "runtime/db/notifications.h"

#include <gtest/gtest.h>

#include "runtime/db/table_functions.h"
#include "runtime/runtime_error.h"
#include "tests/runtime/db/db_test_util.h"

namespace kalvento::rt::db {
namespace {

using testing::Row;
using testing::Structure;
using testing::TempDir;

// Records every notification with the record number it saw.
class Recorder : public Object, public NotificationClient {
 public:
  std::string className() const override { return "Recorder"; }
  void notify(int event, int kind, const Value& mp2) override {
    EXPECT_EQ(event, kDbNotifyEvent);
    EXPECT_TRUE(mp2.isNil());
    log.push_back({kind, RecNo()});
    if (onNotify) onNotify(kind);
  }
  std::vector<std::pair<int, double>> log;
  std::function<void(int)> onNotify;
};

class NotificationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbCreate(dir_.file("n"), Structure({Row("A", "C", 5)}), Value(), Value(true));
    for (int i = 0; i < 3; ++i) DbAppend();
    DbGoTop();
    DbRegisterClient(Value(client_));
  }
  TempDir dir_;
  std::shared_ptr<Recorder> client_ = std::make_shared<Recorder>();
};

TEST_F(NotificationsTest, KindsBeforeAndAfterEachMovement) {
  DbSkip();
  DbGoto(Value(3));
  DbGoTop();
  DbGoBottom();
  DbAppend();
  using P = std::pair<int, double>;
  EXPECT_EQ(
      client_->log,
      (std::vector<P>{
          {8, 1}, {9, 2}, {8, 2}, {10, 3}, {8, 3}, {10, 1}, {8, 1}, {10, 3}, {8, 3}, {11, 4}}));
  client_->log.clear();
  DbDelete();
  DbRecall();
  EXPECT_EQ(client_->log, (std::vector<std::pair<int, double>>{{2, 4}, {2, 4}}));
}

TEST_F(NotificationsTest, SuspendNestsResumeUnwindsResetClears) {
  DbSuspendNotifications();
  DbSuspendNotifications();
  DbSkip();
  DbResumeNotifications();
  DbSkip();
  EXPECT_TRUE(client_->log.empty());
  DbResumeNotifications();
  DbSkip();
  EXPECT_EQ(client_->log.size(), 2u);
  DbSuspendNotifications();
  DbSuspendNotifications();
  DbResetNotifications();
  DbGoTop();
  EXPECT_EQ(client_->log.size(), 4u);
  DbResumeNotifications();  // nothing to resume: stays on
  DbGoTop();
  EXPECT_EQ(client_->log.size(), 6u);
}

TEST_F(NotificationsTest, AClientMayWriteTheRecordBeforeItIsLeft) {
  // As a data dialog does: save on 8, reload after the move, notifications
  // suspended meanwhile so its own work does not call it again.
  std::vector<std::string> loaded;
  client_->onNotify = [&](int kind) {
    DbSuspendNotifications();
    if (kind == kNotifyBeforeMove && DbRLock()) {
      FieldPut(1, Value("saved"));
      DbCommit();
      DbRUnlock(Value(RecNo()));
    }
    if (kind == kNotifySkipped) loaded.push_back(FieldGet(1).text());
    DbResetNotifications();
  };
  DbSkip();
  DbSkip(Value(-1));
  EXPECT_EQ(loaded, (std::vector<std::string>{"     ", "saved"}));
  DbDeRegisterClient(Value(client_));
  client_->log.clear();
  DbSkip();
  EXPECT_TRUE(client_->log.empty());
}

TEST_F(NotificationsTest, OnlyObjectsWithNotifyCanRegister) {
  struct Plain : Object {
    std::string className() const override { return "Plain"; }
  };
  EXPECT_THROW(DbRegisterClient(Value(std::make_shared<Plain>())), RuntimeError);
  EXPECT_THROW(DbRegisterClient(Value("text")), RuntimeError);
  DbRegisterClient(Value(client_));  // twice: told once
  DbSkip();
  EXPECT_EQ(client_->log.size(), 2u);
}

}  // namespace
}  // namespace kalvento::rt::db
