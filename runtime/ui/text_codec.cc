#include "runtime/ui/text_codec.h"

#include <QStringDecoder>

namespace kalvento::rt::ui {
namespace {

// Windows-1252 code points for the bytes 0x80 to 0x9F; 0 where the byte is unused.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool IsValidUtf8(std::string_view bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString s = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return !decoder.hasError();
}

bool IsAscii(std::string_view bytes) {
  for (unsigned char c : bytes) {
    if (c >= 0x80) return false;
  }
  return true;
}

QString DecodeCp1252(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (unsigned char c : bytes) {
    if (c >= 0x80 && c <= 0x9F && kCp1252High[c - 0x80] != 0) {
      out.append(QChar(kCp1252High[c - 0x80]));
    } else {
      out.append(QChar(static_cast<char16_t>(c)));
    }
  }
  return out;
}

// False when a character has no place in Windows-1252.
bool EncodeCp1252(const QString& text, std::string& out) {
  out.clear();
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar ch : text) {
    char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    int found = -1;
    for (int i = 0; i < 32; ++i) {
      if (kCp1252High[i] == u && u != 0) found = i;
    }
    if (found < 0) return false;
    out.push_back(static_cast<char>(0x80 + found));
  }
  return true;
}

}  // namespace

QString DecodeForDisplay(std::string_view bytes) {
  if (IsValidUtf8(bytes)) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  return DecodeCp1252(bytes);
}

std::string EncodeEdited(const QString& shown, std::string_view original) {
  QString text = shown;
  text.replace("\r\n", "\n");
  const bool crlf = original.empty() || original.find("\r\n") != std::string_view::npos;
  if (crlf) text.replace("\n", "\r\n");
  const bool utf8 = !IsAscii(original) && IsValidUtf8(original);
  if (!utf8) {
    std::string cp;
    if (EncodeCp1252(text, cp)) return cp;
  }
  QByteArray u = text.toUtf8();
  return std::string(u.constData(), static_cast<size_t>(u.size()));
}

QString CaptionForDisplay(std::string_view caption) {
  QString text = DecodeForDisplay(caption);
  text.replace("&", "&&");
  int marker = text.indexOf('~');
  if (marker >= 0) text.replace(marker, 1, "&");
  return text;
}

}  // namespace kalvento::rt::ui
