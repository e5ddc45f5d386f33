#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kalvento::dbf {

// The tool's commands. Each writes its result to `out`, problems to `err`, and
// returns the exit status (0 done, 1 "not found" or faults found). Damaged or
// missing files raise the runtime's RuntimeError, which main() turns into one
// line on standard error and status 2.
int Info(const std::string& table, std::ostream& out);
int List(const std::string& table, const std::string& index, bool withDeleted, std::ostream& out);
int Seek(const std::string& table, const std::string& index, const std::string& key,
         std::ostream& out);
int Index(const std::string& table, const std::string& index, const std::string& expression,
          bool unique, std::ostream& out);
int Check(const std::string& table, const std::vector<std::string>& indexes, std::ostream& out,
          std::ostream& err);

}  // namespace kalvento::dbf
