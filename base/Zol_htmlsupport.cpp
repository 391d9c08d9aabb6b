#include "base/Zol_htmlsupport.h"

#include <cctype>
#include <cstring>

#include "base/Zol_stringl.h"

namespace zol {

THtmlProducer::THtmlProducer(TComponent* AOwner) : TComponent(AOwner) {}
THtmlProducer::~THtmlProducer() = default;

void THtmlProducer::ReadTemplateFromFile(const std::string& FileName) {
  TextFile f;
  AssignFile(f, FileName);
  Reset(f);
  std::string line, t;
  while (ReadLn(f, line)) t += line + "\r\n";
  CloseFile(f);
  FTemplate = t;
}

void THtmlProducer::ReadTemplateFromStream(TStream& Stream) {
  Stream.SetPosition(0);
  std::string t;
  char buf[4096];
  for (;;) {
    int64_t n = Stream.Read(buf, sizeof buf);
    if (n <= 0) break;
    t.append(buf, static_cast<size_t>(n));
  }
  FTemplate = BytesToUtf8(t);
}

void THtmlProducer::Convert(std::string& Result) {
  const std::string& t = FTemplate;
  std::string out;
  out.reserve(t.size());
  size_t i = 0;
  while (i < t.size()) {
    if (t[i] != '<' || i + 1 >= t.size() || t[i + 1] != '#') {
      out += t[i++];
      continue;
    }
    size_t close = t.find('>', i);
    size_t end = close == std::string::npos ? t.size() : close + 1;
    std::string tag = t.substr(i, end - i);
    // Name: from behind "<#" to the first blank (or the end of the tag).
    std::string inner = tag.substr(2, close == std::string::npos ? std::string::npos : tag.size() - 3);
    size_t blank = inner.find(' ');
    std::string name = LowerCase(inner.substr(0, blank));
    std::string params;
    if (blank != std::string::npos) {
      params = inner.substr(blank + 1);
      size_t b = params.find_first_not_of(' ');
      size_t e = params.find_last_not_of(' ');
      params = b == std::string::npos ? std::string() : params.substr(b, e - b + 1);
    }
    std::string replacement = tag;
    if (OnHTMLTag) OnHTMLTag(this, name, params, replacement);
    out += replacement;
    i = end;
  }
  FConverted = out;
  Result = out;
}

void THtmlProducer::WriteConvertedHTMLToFile(const std::string& FileName) const {
  TFileStream f(FileName, fmCreate);
  f.WriteBuffer(FConverted.data(), static_cast<int64_t>(FConverted.size()));
}

TStringStream* THtmlProducer::ConvertedHTMLAsStream() {
  FStream = std::make_unique<TStringStream>(FConverted);
  FStream->SetPosition(0);
  return FStream.get();
}

std::string URLEncode(const std::string& s) {
  static const char* special = "!*'();:@&=+$,/?%#[] ";
  static const char* hex = "0123456789ABCDEF";
  std::string r;
  for (char c : s) {
    if (c != '\0' && std::strchr(special, c)) {
      unsigned char u = static_cast<unsigned char>(c);
      r += '%';
      r += hex[u >> 4];
      r += hex[u & 15];
    } else {
      r += c;
    }
  }
  return r;
}

static int HexVal(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string URLDecode(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexVal(s[i + 1]) >= 0 && HexVal(s[i + 2]) >= 0) {
      r += static_cast<char>(HexVal(s[i + 1]) * 16 + HexVal(s[i + 2]));
      i += 2;
    } else {
      r += s[i];
    }
  }
  return r;
}

std::string ExtractHTTPPath(const std::string& url) {
  std::string r = url;
  size_t p = LowerCase(r).find("http://");
  if (p != std::string::npos) r = r.substr(p + 7);
  size_t slash = r.rfind('/');
  if (slash != std::string::npos) r.resize(slash + 1);
  return r;
}

int CountWordsHTML(const std::string& s, bool IgnoreNumbers, bool& InsideTag) {
  int count = 0;
  size_t run = 0;
  char first = 0;
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (InsideTag) {
      if (c == '>') InsideTag = false;
      continue;
    }
    if (WordSeps[u]) {
      if (run >= 2 && !(IgnoreNumbers && first >= '0' && first <= '9')) ++count;
      run = 0;
      if (c == '<') InsideTag = true;
      continue;
    }
    if (run == 0) first = c;
    ++run;
  }
  return count;
}

std::string AnsiToHTMLEntity(unsigned c) {
  switch (c) {
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '&': return "&amp;";
    case '"': return "&quot;";
    default: break;
  }
  if (c >= 160 && c <= 255 && HTMLLat1Entities[c] && *HTMLLat1Entities[c]) return HTMLLat1Entities[c];
  if (c >= 128) return "&#" + std::to_string(c) + ";";
  return std::string(1, static_cast<char>(c));
}

std::string MakeStringHTMLCompatible(const std::string& s) {
  std::string u = BytesToUtf8(s), r;
  for (size_t i = 0; i < u.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(u[i]);
    if ((c == 0xC2 || c == 0xC3) && i + 1 < u.size()) {
      unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(u[i + 1]) & 0x3Fu);
      if (cp >= 160) {
        r += AnsiToHTMLEntity(cp);
        ++i;
        continue;
      }
    }
    if (c == '<' || c == '>' || c == '&' || c == '"') r += AnsiToHTMLEntity(c);
    else r += static_cast<char>(c);
  }
  return r;
}

std::string HTMLEntityToAnsi(const std::string& entity) {
  if (entity.size() < 3 || entity.front() != '&' || entity.back() != ';') return std::string();
  std::string body = entity.substr(1, entity.size() - 2);
  std::string r;
  if (body[0] == '#') {
    unsigned long cp = 0;
    bool hexForm = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
    size_t start = hexForm ? 2 : 1;
    if (start >= body.size() || body.size() - start > 7) return std::string();
    for (size_t k = start; k < body.size(); ++k) {
      int v = hexForm ? HexVal(body[k]) : (std::isdigit(static_cast<unsigned char>(body[k])) ? body[k] - '0' : -1);
      if (v < 0) return std::string();
      cp = cp * (hexForm ? 16 : 10) + static_cast<unsigned long>(v);
    }
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::string();
    AppendUtf8(r, static_cast<unsigned>(cp));
    return r;
  }
  if (body == "lt") return "<";
  if (body == "gt") return ">";
  if (body == "amp") return "&";
  if (body == "quot") return "\"";
  if (body == "apos") return "'";
  for (unsigned c = 160; c <= 255; ++c) {
    if (HTMLLat1Entities[c] && entity == HTMLLat1Entities[c]) {
      AppendUtf8(r, c);
      return r;
    }
  }
  return std::string();
}

std::string ResolveHTMLEntities(const std::string& s) {
  std::string r;
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '&') {
      size_t semi = s.find(';', i);
      if (semi != std::string::npos && semi - i <= 10) {
        std::string c = HTMLEntityToAnsi(s.substr(i, semi - i + 1));
        if (!c.empty()) {
          r += c;
          i = semi + 1;
          continue;
        }
      }
    }
    r += s[i++];
  }
  return r;
}

std::string DefaultHTMLHead(const std::string& Title, const std::string& CharSet,
                            const std::string& StyleSheet, const std::string& HeadExtra,
                            bool IncludeHeading) {
  std::string t = MakeStringHTMLCompatible(Title);
  std::string r = "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"" +
                  (CharSet.empty() ? std::string("utf-8") : CharSet) + "\">\r\n<title>" + t + "</title>\r\n";
  if (!StyleSheet.empty())
    r += "<link rel=\"stylesheet\" href=\"" + MakeStringHTMLCompatible(StyleSheet) + "\">\r\n";
  if (!HeadExtra.empty()) r += HeadExtra + "\r\n";
  r += "</head>\r\n<body>\r\n";
  if (IncludeHeading) r += "<h1>" + t + "</h1>\r\n";
  return r;
}

std::string DefaultHTMLFoot(bool WithGenerator) {
  std::string r;
  if (WithGenerator) r += "<p><small>Produced with the ZOL Component Suite</small></p>\r\n";
  return r + "</body>\r\n</html>\r\n";
}

}  // namespace zol
