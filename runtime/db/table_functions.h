#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace kalvento::rt::db {

// The table functions of the runtime, on the current work area of the calling
// thread, with the platform's names and optional arguments (NIL = left out).
// Work areas are numbered from 1; a text holding a number ("9") selects by
// number, any other text by alias. Table names are DOS paths (through HostPath);
// ".dbf" and ".ntx" are added to names without extension.
//
// Opening a table that another user (another process, or another work area)
// holds in a conflicting mode sets NetErr() and raises nothing; a missing or
// damaged file is a RuntimeError naming it.

// Path of a table or index name as the host sees it.
std::string TableHostPath(std::string_view name, std::string_view defaultExtension);

// Opening and areas.
void DbUseArea(const Value& newArea = {}, const Value& driver = {}, const Value& file = {},
               const Value& alias = {}, const Value& shared = {}, const Value& readOnly = {});
bool NetErr();
bool Used();
std::string Alias(const Value& area = {});
// Without argument the current area's number; with an alias that area's number
// (0 if none).
int Select(const Value& alias = {});
// 0 selects the lowest free area.
void DbSelectArea(const Value& area);
void DbCloseArea();
void DbCloseAll();

// The program-wide settings; each returns the previous value.
bool SetExclusive(const Value& on = {});
bool SetDeleted(const Value& on = {});
bool SetSoftSeek(const Value& on = {});

// Fields (positions from 1).
int FieldPos(std::string_view name);
Value FieldGet(int position);
// Writes the field and returns the value.
Value FieldPut(int position, const Value& value);
std::string FieldName(int position);
int FCount();
// {{name, type, length, decimals}, ...}
Value DbStruct();
// Is `name` a field of the current area (an alias prefix "ALIAS->" is accepted)?
bool IsFieldVar(std::string_view name);

// Position.
double RecNo();
double LastRec();
bool Eof();
bool Bof();
bool Found();
void DbGoto(const Value& record);
void DbGoTop();
void DbGoBottom();
void DbSkip(const Value& count = {});

// Records.
void DbAppend(const Value& releaseLocks = {});
void DbDelete();
void DbRecall();
bool Deleted();

// Locks.
bool RLock();
bool DbRLock(const Value& record = {});
void DbRUnlock(const Value& record = {});
void DbUnlock();
void DbUnlockAll();
bool DbLocked(const Value& record = {});
bool FLock();
void DbCommit();
void DbCommitAll();

// Index orders.
void OrdListAdd(const Value& file);
void OrdListClear();
// Selects by number (0 = natural order) or name; returns the previous order's name.
std::string OrdSetFocus(const Value& order = {});
int OrdNumber();
int OrdCount();
bool DbSeek(const Value& key, const Value& soft = {});
// Creates `file` from `expression` over every record and makes it the focus.
void OrdCreate(const Value& file, const Value& tag, const Value& expression,
               const Value& block = {}, const Value& unique = {});
void DbCreateIndex(const Value& file, const Value& expression, const Value& block = {},
                   const Value& unique = {});

// Notifications of the current area.
void DbRegisterClient(const Value& client);
void DbDeRegisterClient(const Value& client);
void DbSuspendNotifications();
void DbResumeNotifications();
void DbResetNotifications();

// Registers every function above as a public routine by its name.
void RegisterTableRoutines();

}  // namespace kalvento::rt::db
