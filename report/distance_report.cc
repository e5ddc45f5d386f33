#include "report/distance_report.h"

#include <string_view>

#include "runtime/text.h"

namespace kalvento::report {
namespace {

constexpr std::string_view kCrlf = "\r\n";

// Each text is about 115 KB; one reservation avoids regrowing while appending.
constexpr size_t kTextReserve = 128 * 1024;

constexpr std::string_view kHeaderLines[] = {
    "<!DOCTYPE HTML>",
    "<HTML LANG=\"de-DE\">",
    "<HEAD>",
    "\t<META HTTP-EQUIV=\"CONTENT-TYPE\" CONTENT=\"text/html; charset=windows-1252\">",
    "\t<TITLE>KALVENTO</TITLE>",
    "\t<META NAME=\"GENERATOR\" CONTENT=\"Kalvento.EXE\">",
    "\t<META NAME=\"CHANGEDBY\" CONTENT=\"Kalvento.EXE\">",
    "\t<META NAME=\"VIEWPORT\" CONTENT=\"width=device-width, initial-scale=1.0\">",
    "\t<STYLE TYPE=\"text/css\">",
    "\t\t@page { size: 21cm 29.7cm; margin:  0,0,0,0; }",
    "\t\tP { line-height:100%;margin:0; }",
    "\t\tP#cour { font-family: Arial; }",
    "\t\tPRE { font-family: Arial; font-size: 10pt; line-height: 0.5cm; }",
    "\t\tDIV { position:absolute; }",
    "\t\tFORM { margin:0;padding:0;border:0px; }",
    "\t</STYLE>",
    "</HEAD>",
    "<BODY><Table style=\"border-collapse:collapse;table-layout:fixed;width:13cm;font-size:8pt;"
    "line-height:80%;\">",
};

constexpr std::string_view kTableEnd = "</table></body></html>";

// Roula.html pieces.
constexpr std::string_view kNeighbourHeadingStart =
    "<tr style=\"border:solid black 2px;\"><td style=\"width:2.5%;\"></td>";
constexpr std::string_view kNeighbourHeadingCell =
    "<td style=\"text-align:center;background-color:lightblue;border:solid black 1px;width:2.5%;\">";
constexpr std::string_view kNeighbourHeadingEnd = "<td style=\"width:2.5%;\"></td></tr>";
constexpr std::string_view kNeighbourRowStart =
    "<tr style=\"border: solid black 2px;\"><td style=\"text-align:left;background-color:lightblue;"
    "border-right: solid black 1px;\">";
constexpr std::string_view kNeighbourRowEnd =
    "<td style=\"text-align:right;background-color:lightblue;border-left: solid black 1px;\">";
constexpr std::string_view kNeighbourFootStart = "<tr style=\"border: solid black 2px;\"><td></td>";
constexpr std::string_view kNeighbourFootCell =
    "<td style=\"text-align:center;background-color:lightblue;border:solid black 1px;\">";
constexpr std::string_view kNeighbourFootEnd = "<td></td></tr>";

constexpr std::string_view kRedOnCross =
    "<td style=\"text-align:center;color:red;font-weight:bold;background-color:yellow;"
    "border:solid black 1px;\">";
constexpr std::string_view kRedElsewhere =
    "<td style=\"text-align:center;color:red;border:solid black 1px;\">";
constexpr std::string_view kZero = "<td style=\"text-align:center;color:green;border:solid black 1px;\">";
constexpr std::string_view kBlackOnCross =
    "<td style=\"text-align:center;background-color:yellow;border:solid black 1px;\">";
constexpr std::string_view kBlackElsewhere = "<td style=\"text-align:center;border:solid black 1px;\">";

// Roulb.html pieces.
constexpr std::string_view kNumberRowStart = kNeighbourHeadingStart;
constexpr std::string_view kNumberRedCell =
    "<td style=\"text-align:center;background-color:red;color:white;font-weight:bold;"
    "border:solid black 1px;width:2.5%;\">";
constexpr std::string_view kNumberPlainCell =
    "<td style=\"text-align:center;border:solid black 1px;width:2.5%;\">";
constexpr std::string_view kNumberRowEnd = kNeighbourHeadingEnd;
constexpr std::string_view kDistanceRedLeft =
    "<tr style=\"border: solid black 2px;\"><td style=\"text-align:left;background-color:red;"
    "color:white;font-weight:bold;border-right: solid black 1px;\">";
constexpr std::string_view kDistancePlainLeft =
    "<tr style=\"border: solid black 2px;\"><td style=\"text-align:left;;border-right: solid black 1px;\">";
constexpr std::string_view kForwardCell = "<td style=\"text-align:center;border:solid black 1px;\">";
constexpr std::string_view kBackwardCell =
    "<td style=\"text-align:center;background-color:lightblue;border:solid black 1px;\">";
constexpr std::string_view kDistanceRedRight =
    "<td style=\"text-align:right;background-color:red;color:white;font-weight:bold;"
    "border:solid black 1px;width:2.5%;\">";
constexpr std::string_view kDistancePlainRight =
    "<td style=\"text-align:right;border:solid black 1px;width:2.5%;\">";

constexpr std::string_view kCellEnd = "</td>";
constexpr std::string_view kRowEnd = "</td></tr>";

// The offsets heading the columns of Roula.html: 18 down to 0, then 1 up to 18.
int OffsetOfColumn(int column) {  // column 1..37
  int c = column - kCentre;
  return c < 0 ? -c : c;
}

void AppendOffsetRow(std::string& out, std::string_view start, std::string_view cell,
                     std::string_view end) {
  out += start;
  for (int column = 1; column <= kPockets; ++column) {
    out += cell;
    rt::AppendStr(out, OffsetOfColumn(column), 2);
    out += kCellEnd;
  }
  out += end;
}

std::string_view NeighbourCellTag(int number, bool onCross) {
  if (IsRed(number)) return onCross ? kRedOnCross : kRedElsewhere;
  if (number == 0) return kZero;
  return onCross ? kBlackOnCross : kBlackElsewhere;
}

void AppendNumberRow(std::string& out) {
  out += kNumberRowStart;
  for (int n = 0; n < kPockets; ++n) {
    out += IsRed(n) ? kNumberRedCell : kNumberPlainCell;
    rt::AppendStr(out, n, 2);
    out += kCellEnd;
  }
  out += kNumberRowEnd;
}

}  // namespace

void AppendHeaderBlock(std::string& out) {
  for (std::string_view line : kHeaderLines) {
    out += line;
    out += kCrlf;
  }
}

void AppendNeighbourBody(std::string& out, const NeighbourTable& table) {
  AppendOffsetRow(out, kNeighbourHeadingStart, kNeighbourHeadingCell, kNeighbourHeadingEnd);
  for (int i = 1; i <= kPockets; ++i) {
    const int label = kCentre - i;
    out += kNeighbourRowStart;
    rt::AppendStr(out, label, 4);
    out += kCellEnd;
    for (int j = 1; j <= kPockets; ++j) {
      const int number = table[i - 1][j - 1];
      out += NeighbourCellTag(number, i == kCentre || j == kCentre);
      rt::AppendStr(out, number, 2);
      out += kCellEnd;
    }
    out += kNeighbourRowEnd;
    rt::AppendStr(out, label, 4);
    out += kRowEnd;
    out += kCrlf;
  }
  AppendOffsetRow(out, kNeighbourFootStart, kNeighbourFootCell, kNeighbourFootEnd);
  out += kTableEnd;
  out += kCrlf;
}

void AppendDistanceBody(std::string& out) {
  AppendNumberRow(out);
  for (int i = 0; i < kPockets; ++i) {
    const bool red = IsRed(i);
    out += red ? kDistanceRedLeft : kDistancePlainLeft;
    rt::AppendStr(out, i, 4);
    out += kCellEnd;
    for (int j = 0; j < kPockets; ++j) {
      const int distance = SignedDistance(i, j);
      out += distance >= 0 ? kForwardCell : kBackwardCell;
      rt::AppendStr(out, distance >= 0 ? distance : -distance, 2);
      out += kCellEnd;
    }
    out += red ? kDistanceRedRight : kDistancePlainRight;
    rt::AppendStr(out, i, 2);
    out += kRowEnd;
  }
  AppendNumberRow(out);
  out += kTableEnd;
  out += kCrlf;
}

void BuildReportTexts(ReportTexts* texts) {
  texts->neighbourHtml.clear();
  texts->neighbourHtml.reserve(kTextReserve);
  AppendHeaderBlock(texts->neighbourHtml);
  texts->distanceHtml.reserve(kTextReserve);
  texts->distanceHtml = texts->neighbourHtml;
  AppendNeighbourBody(texts->neighbourHtml, BuildNeighbourTable());
  AppendDistanceBody(texts->distanceHtml);
}

ReportTexts BuildReportTexts() {
  ReportTexts texts;
  BuildReportTexts(&texts);
  return texts;
}

}  // namespace kalvento::report
