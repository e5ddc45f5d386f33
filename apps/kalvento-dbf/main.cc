// kalvento-dbf: inspects and checks the system's tables and indexes.
//   info TABLE                       structure, record count, header facts
//   list TABLE [--index NTX] [--deleted]   records as CSV, natural or index order
//   seek TABLE NTX KEY               the record found, or status 1
//   index TABLE NTX EXPR [--unique]  creates an index
//   check TABLE [NTX ...]            header, records and indexes verified
// Paths are host paths. Errors: one line on standard error, status 2.
#include <iostream>
#include <string>
#include <vector>

#include "apps/kalvento-dbf/commands.h"
#include "runtime/db/table_functions.h"
#include "runtime/runtime_error.h"

namespace {

constexpr const char* kUsage =
    "Aufruf: kalvento-dbf info TABELLE\n"
    "        kalvento-dbf list TABELLE [--index NTX] [--deleted]\n"
    "        kalvento-dbf seek TABELLE NTX SCHLÜSSEL\n"
    "        kalvento-dbf index TABELLE NTX AUSDRUCK [--unique]\n"
    "        kalvento-dbf check TABELLE [NTX ...]\n";

int Usage(const std::string& problem) {
  std::cerr << "kalvento-dbf: " << problem << '\n' << kUsage;
  return 2;
}

int Run(const std::vector<std::string>& args) {
  using namespace kalvento::dbf;
  if (args.empty()) return Usage("Befehl fehlt");
  const std::string& command = args[0];
  if (command == "info" && args.size() == 2) return Info(args[1], std::cout);
  if (command == "list" && args.size() >= 2) {
    std::string index;
    bool deleted = false;
    for (size_t i = 2; i < args.size(); ++i) {
      if (args[i] == "--deleted") {
        deleted = true;
      } else if (args[i] == "--index" && i + 1 < args.size()) {
        index = args[++i];
      } else {
        return Usage("unbekannte Angabe: " + args[i]);
      }
    }
    return List(args[1], index, deleted, std::cout);
  }
  if (command == "seek" && args.size() == 4) return Seek(args[1], args[2], args[3], std::cout);
  if (command == "index" && (args.size() == 4 || (args.size() == 5 && args[4] == "--unique")))
    return Index(args[1], args[2], args[3], args.size() == 5, std::cout);
  if (command == "check" && args.size() >= 2)
    return Check(args[1], std::vector<std::string>(args.begin() + 2, args.end()), std::cout,
                 std::cerr);
  return Usage("unbekannter Befehl oder falsche Angaben: " + command);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = 2;
  try {
    status = Run(args);
    kalvento::rt::db::DbCloseAll();
  } catch (const kalvento::rt::RuntimeError& e) {
    std::cerr << "kalvento-dbf: " << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "kalvento-dbf: " << e.what() << '\n';
    return 2;
  }
  std::cout.flush();
  return status;
}
