#pragma once

#include <string>

#include "report/wheel.h"

namespace kalvento::report {

// The HTML texts of the two report files, built by appending pieces. Every line
// ends with CR LF; every character is ASCII.

// The 18 header lines both files begin with.
void AppendHeaderBlock(std::string& out);

// The body of Roula.html: the neighbour table with its offset heading and foot
// rows, the centre cross highlighted, and the closing tags.
void AppendNeighbourBody(std::string& out, const NeighbourTable& table);

// The body of Roulb.html: the 37 x 37 signed distances from the row's number to
// the column's number, all on one line, and the closing tags.
void AppendDistanceBody(std::string& out);

// Both whole texts, for callers that want them in memory (tests, benchmarks).
struct ReportTexts {
  std::string neighbourHtml;  // Roula.html
  std::string distanceHtml;   // Roulb.html
};
ReportTexts BuildReportTexts();
// Refills `texts`, keeping the capacity the strings already have.
void BuildReportTexts(ReportTexts* texts);

}  // namespace kalvento::report
