#include "report/main_routine.h"

#include <iostream>
#include <string>

#include "report/distance_report.h"
#include "report/wheel.h"
#include "runtime/files.h"
#include "runtime/routines.h"
#include "runtime/start_sequence.h"

namespace kalvento::report {
namespace {

void WriteReport(const char* name, const std::string& text) {
  rt::WriteResult result = rt::MemoWrit(name, text);
  if (!result) {
    std::cerr << "kalvento: " << name << " konnte nicht geschrieben werden: " << result.error << '\n';
    rt::SetErrorLevel(1);
  }
}

}  // namespace

rt::Value Main(const rt::Args&) {
  const NeighbourTable neighbours = BuildNeighbourTable();

  std::string neighbourHtml;
  neighbourHtml.reserve(128 * 1024);
  AppendHeaderBlock(neighbourHtml);
  std::string distanceHtml = neighbourHtml;
  distanceHtml.reserve(128 * 1024);

  AppendNeighbourBody(neighbourHtml, neighbours);
  WriteReport(kNeighbourFile, neighbourHtml);

  AppendDistanceBody(distanceHtml);
  WriteReport(kDistanceFile, distanceHtml);
  return {};
}

void RegisterReportRoutines() { rt::RegisterRoutine("Main", Main); }

}  // namespace kalvento::report
