// Reads the two report texts back as an independent reader would: splits lines
// and rows, pulls out every cell, and checks them against the wheel written down
// here, not against the code's own tables.
#include "report/distance_report.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

namespace kalvento::report {
namespace {

const int kWheelOrder[37] = {0,  32, 15, 19, 4,  21, 2,  25, 17, 34, 6,  27, 13,
                             36, 11, 30, 8,  23, 10, 5,  24, 16, 33, 1,  20, 14,
                             31, 9,  22, 18, 29, 7,  28, 12, 35, 3,  26};
const std::set<int> kReds = {1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36};

int WheelPosition(int number) {
  for (int p = 0; p < 37; ++p) {
    if (kWheelOrder[p] == number) return p;
  }
  return -1;
}
int StepsFrom(int number, int steps) { return kWheelOrder[((WheelPosition(number) + steps) % 37 + 37) % 37]; }

const std::string kHeader =
    "<!DOCTYPE HTML>\r\n"
    "<HTML LANG=\"de-DE\">\r\n"
    "<HEAD>\r\n"
    "\t<META HTTP-EQUIV=\"CONTENT-TYPE\" CONTENT=\"text/html; charset=windows-1252\">\r\n"
    "\t<TITLE>KALVENTO</TITLE>\r\n"
    "\t<META NAME=\"GENERATOR\" CONTENT=\"Kalvento.EXE\">\r\n"
    "\t<META NAME=\"CHANGEDBY\" CONTENT=\"Kalvento.EXE\">\r\n"
    "\t<META NAME=\"VIEWPORT\" CONTENT=\"width=device-width, initial-scale=1.0\">\r\n"
    "\t<STYLE TYPE=\"text/css\">\r\n"
    "\t\t@page { size: 21cm 29.7cm; margin:  0,0,0,0; }\r\n"
    "\t\tP { line-height:100%;margin:0; }\r\n"
    "\t\tP#cour { font-family: Arial; }\r\n"
    "\t\tPRE { font-family: Arial; font-size: 10pt; line-height: 0.5cm; }\r\n"
    "\t\tDIV { position:absolute; }\r\n"
    "\t\tFORM { margin:0;padding:0;border:0px; }\r\n"
    "\t</STYLE>\r\n"
    "</HEAD>\r\n"
    "<BODY><Table style=\"border-collapse:collapse;table-layout:fixed;width:13cm;font-size:8pt;"
    "line-height:80%;\">\r\n";
const std::string kEnd = "</table></body></html>\r\n";

struct Cell {
  std::string tag;
  std::string text;
};

// The rows of a table body: each "<tr ...>" up to the next one, cut into cells.
struct Row {
  std::string raw;
  std::vector<Cell> cells;
};

std::vector<Row> ParseRows(const std::string& body) {
  static const std::regex kCell("(<td[^>]*>)([^<]*)</td>");
  std::vector<Row> rows;
  size_t start = body.find("<tr");
  while (start != std::string::npos) {
    size_t next = body.find("<tr", start + 3);
    Row row;
    row.raw = body.substr(start, next == std::string::npos ? std::string::npos : next - start);
    for (auto it = std::sregex_iterator(row.raw.begin(), row.raw.end(), kCell); it != std::sregex_iterator(); ++it) {
      row.cells.push_back({(*it)[1].str(), (*it)[2].str()});
    }
    rows.push_back(std::move(row));
    start = next;
  }
  return rows;
}

std::string Width(int n, int w) {
  std::string digits = std::to_string(n);
  return std::string(w - digits.size(), ' ') + digits;
}

size_t CountLines(const std::string& text) {
  size_t lines = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
      ++lines;
    } else if (text[i] == '\r') {
      EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
    }
    EXPECT_LT(static_cast<unsigned char>(text[i]), 0x80) << "non-ASCII at " << i;
  }
  return lines;
}

class DistanceReportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { texts_ = new ReportTexts(BuildReportTexts()); }
  static void TearDownTestSuite() { delete texts_; }
  static const std::string& roula() { return texts_->neighbourHtml; }
  static const std::string& roulb() { return texts_->distanceHtml; }
  static ReportTexts* texts_;
};
ReportTexts* DistanceReportTest::texts_ = nullptr;

TEST_F(DistanceReportTest, BothFilesShareHeaderAndEndAndHaveTheirLineCounts) {
  EXPECT_EQ(roula().substr(0, kHeader.size()), kHeader);
  EXPECT_EQ(roulb().substr(0, kHeader.size()), kHeader);
  EXPECT_EQ(roula().substr(roula().size() - kEnd.size()), kEnd);
  EXPECT_EQ(roulb().substr(roulb().size() - kEnd.size()), kEnd);
  EXPECT_EQ(CountLines(roula()), 56u);
  EXPECT_EQ(CountLines(roulb()), 19u);
}

TEST_F(DistanceReportTest, NeighbourLinesHoldHeadingWithFirstRowAndFootWithLastRow) {
  std::vector<std::string> lines;
  for (size_t pos = 0, end; (end = roula().find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    lines.push_back(roula().substr(pos, end - pos));
  }
  ASSERT_EQ(lines.size(), 56u);
  EXPECT_EQ(ParseRows(lines[18]).size(), 2u);  // heading row + data row 1
  for (int line = 19; line < 55; ++line) EXPECT_EQ(ParseRows(lines[line]).size(), 1u) << line;
  EXPECT_EQ(ParseRows(lines[55]).size(), 1u);  // foot row, then the closing tags
  EXPECT_NE(lines[55].find("</tr></table></body></html>"), std::string::npos);
}

TEST_F(DistanceReportTest, NeighbourHeadingAndFootReadOffsetsWithoutSigns) {
  std::vector<Row> rows = ParseRows(roula().substr(kHeader.size()));
  ASSERT_EQ(rows.size(), 39u);
  for (const Row* row : {&rows.front(), &rows.back()}) {
    ASSERT_EQ(row->cells.size(), 39u);
    EXPECT_EQ(row->cells.front().text, "");
    EXPECT_EQ(row->cells.back().text, "");
    for (int j = 1; j <= 37; ++j) EXPECT_EQ(row->cells[j].text, Width(std::abs(j - 19), 2)) << j;
  }
  EXPECT_EQ(rows.front().cells[1].tag,
            "<td style=\"text-align:center;background-color:lightblue;border:solid black 1px;width:2.5%;\">");
  EXPECT_EQ(rows.back().cells[1].tag,
            "<td style=\"text-align:center;background-color:lightblue;border:solid black 1px;\">");
  EXPECT_EQ(rows.back().cells[0].tag, "<td>");
}

TEST_F(DistanceReportTest, NeighbourCellsShowTheWheelAroundEachLabelWithTheirColourTags) {
  const std::string redCross =
      "<td style=\"text-align:center;color:red;font-weight:bold;background-color:yellow;border:solid black 1px;\">";
  const std::string redPlain = "<td style=\"text-align:center;color:red;border:solid black 1px;\">";
  const std::string zero = "<td style=\"text-align:center;color:green;border:solid black 1px;\">";
  const std::string blackCross = "<td style=\"text-align:center;background-color:yellow;border:solid black 1px;\">";
  const std::string blackPlain = "<td style=\"text-align:center;border:solid black 1px;\">";

  std::vector<Row> rows = ParseRows(roula().substr(kHeader.size()));
  ASSERT_EQ(rows.size(), 39u);
  for (int i = 1; i <= 37; ++i) {
    const Row& row = rows[i];
    ASSERT_EQ(row.cells.size(), 39u) << "row " << i;
    const int label = 19 - i;
    EXPECT_EQ(row.cells[0].text, Width(label, 4));
    EXPECT_EQ(row.cells[38].text, Width(label, 4));
    for (int j = 1; j <= 37; ++j) {
      const int n = StepsFrom(0, label + j - 19);
      const bool cross = i == 19 || j == 19;
      const std::string& expectedTag = kReds.count(n) ? (cross ? redCross : redPlain)
                                       : n == 0       ? zero
                                                      : (cross ? blackCross : blackPlain);
      EXPECT_EQ(row.cells[j].text, Width(n, 2)) << i << "," << j;
      EXPECT_EQ(row.cells[j].tag, expectedTag) << i << "," << j;
    }
  }
  EXPECT_EQ(rows[19].cells[20].text, "32");
  EXPECT_EQ(rows[19].cells[0].text, "   0");
  EXPECT_EQ(rows[1].cells[0].text, "  18");
  EXPECT_EQ(rows[37].cells[38].text, " -18");
}

TEST_F(DistanceReportTest, DistanceTableIsOneLineWithNumberRowsAroundIt) {
  const std::string body = roulb().substr(kHeader.size());
  EXPECT_EQ(body.find("\r\n"), body.size() - 2);
  std::vector<Row> rows = ParseRows(body);
  ASSERT_EQ(rows.size(), 39u);
  const std::string foot = rows.back().raw.substr(0, rows.back().raw.size() - kEnd.size());
  EXPECT_EQ(rows.front().raw, foot);  // the foot row repeats the number row
  ASSERT_EQ(rows.front().cells.size(), 39u);
  for (int n = 0; n <= 36; ++n) {
    const Cell& cell = rows.front().cells[n + 1];
    EXPECT_EQ(cell.text, Width(n, 2));
    EXPECT_EQ(cell.tag.find("background-color:red") != std::string::npos, kReds.count(n) == 1) << n;
  }
}

TEST_F(DistanceReportTest, DistanceCellsAreSignedStepsAroundTheWheel) {
  const std::string forward = "<td style=\"text-align:center;border:solid black 1px;\">";
  const std::string backward = "<td style=\"text-align:center;background-color:lightblue;border:solid black 1px;\">";
  std::vector<Row> rows = ParseRows(roulb().substr(kHeader.size()));
  ASSERT_EQ(rows.size(), 39u);
  int signedDistance[37][37];
  for (int i = 0; i <= 36; ++i) {
    const Row& row = rows[i + 1];
    ASSERT_EQ(row.cells.size(), 39u) << "row " << i;
    EXPECT_EQ(row.cells[0].text, Width(i, 4));
    EXPECT_EQ(row.cells[38].text, Width(i, 2));
    const bool red = kReds.count(i) == 1;
    EXPECT_EQ(row.cells[0].tag.find("background-color:red") != std::string::npos, red);
    EXPECT_EQ(row.cells[38].tag.find("background-color:red") != std::string::npos, red);
    if (!red) {
      EXPECT_EQ(row.cells[0].tag, "<td style=\"text-align:left;;border-right: solid black 1px;\">");
      EXPECT_EQ(row.cells[38].tag, "<td style=\"text-align:right;border:solid black 1px;width:2.5%;\">");
    }
    for (int j = 0; j <= 36; ++j) {
      const Cell& cell = row.cells[j + 1];
      ASSERT_TRUE(cell.tag == forward || cell.tag == backward) << cell.tag;
      const int magnitude = std::stoi(cell.text);
      EXPECT_EQ(cell.text, Width(magnitude, 2));
      EXPECT_LE(magnitude, 18);
      const int d = cell.tag == backward ? -magnitude : magnitude;
      EXPECT_FALSE(cell.tag == backward && magnitude == 0);
      EXPECT_EQ(StepsFrom(i, d), j) << i << "->" << j;
      signedDistance[i][j] = d;
    }
  }
  for (int i = 0; i <= 36; ++i) {
    for (int j = 0; j <= 36; ++j) EXPECT_EQ(signedDistance[i][j], -signedDistance[j][i]) << i << "," << j;
  }
  struct Named {
    int row, column;
    const char* text;
    bool lightBlue;
  };
  for (const Named& n : {Named{0, 26, " 1", true}, Named{0, 32, " 1", false}, Named{0, 1, "14", true},
                         Named{7, 7, " 0", false}}) {
    const Cell& cell = rows[n.row + 1].cells[n.column + 1];
    EXPECT_EQ(cell.text, n.text);
    EXPECT_EQ(cell.tag == backward, n.lightBlue);
  }
}

}  // namespace
}  // namespace kalvento::report
