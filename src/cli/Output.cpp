#include "src/cli/Output.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "src/core/History.h"
#include "src/core/os/os.h"

namespace cli {

namespace {

std::string Hex(const char* szFormat, unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, szFormat, v);
  return buf;
}

// The number of characters of local text, for the width of a column.
std::size_t Width(const std::string& text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++n) i += std::max<std::size_t>(1, os::CharLength(text.data() + i, text.size() - i));
  return n;
}

std::string Scalar(const Json& v) { return v.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace); }

// An array laid out one element a line.
bool IsBlock(const Json& v) { return v.is_array() && !v.empty() && (v.front().is_object() || v.front().is_array()); }

void Lay(const Json& v, std::size_t depth, std::string& s) {
  if (v.is_object()) {
    s += '{';
    bool bFirst = true;
    for (auto it = v.begin(); it != v.end(); ++it) {
      if (!bFirst) s += IsBlock(it.value()) ? ",\n" + std::string(depth + 1, ' ') : std::string(", ");
      bFirst = false;
      s += Scalar(Json(it.key())) + ": ";
      Lay(it.value(), depth + 1, s);
    }
    s += '}';
  } else if (IsBlock(v)) {
    s += '[';
    for (std::size_t i = 0; i < v.size(); ++i) {
      s += (i ? ",\n" : "\n") + std::string(depth + 1, ' ');
      Lay(v[i], depth + 1, s);
    }
    s += '\n' + std::string(depth, ' ') + ']';
  } else if (v.is_array()) {
    s += '[';
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (i) s += ", ";
      Lay(v[i], depth + 1, s);
    }
    s += ']';
  } else {
    s += Scalar(v);
  }
}

}  // namespace

std::string JsonText(const std::string& local) { return LocalToUtf8(local); }

std::string Esc(const std::string& local) {
  std::string out;
  for (std::size_t i = 0; i < local.size();) {
    const std::size_t n = std::max<std::size_t>(1, os::CharLength(local.data() + i, local.size() - i));
    const unsigned char b = static_cast<unsigned char>(local[i]);
    if (n == 1 && (b < 0x20 || b == 0x7F)) {
      switch (b) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += Hex("\\x%02x", b);
      }
    } else if (b < 0x80) {
      out += local[i];
    } else {
      const std::string ch = local.substr(i, n);
      const std::u16string u = os::LocalToUtf16(ch);
      if (u.size() == 1 && u[0] >= 0x80 && u[0] < 0xA0) {
        out += Hex("\\u%04x", u[0]);
      } else if (n == 1 && u.size() == 1 && u[0] == 0xFFFD) {
        out += Hex("\\x%02x", b);
      } else {
        out += ch;
      }
    }
    i += n;
  }
  return out;
}

std::string Quoted(const std::string& local) { return "\"" + Esc(local) + "\""; }

void Output::Table(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::vector<std::string>> cells;
  std::vector<std::size_t> width;
  for (const auto& row : rows) {
    std::vector<std::string> line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      line.push_back(Esc(row[i]));
      if (width.size() <= i) width.push_back(0);
      width[i] = std::max(width[i], Width(line.back()));
    }
    cells.push_back(std::move(line));
  }
  for (const auto& row : cells) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line += std::string(width[i] - Width(row[i]) + 2, ' ');
    }
    Line(line);
  }
}

void Output::Line(const std::string& text) { m_out << os::ToConsoleText(text) << '\n'; }

std::string Output::Layout(const Json& document) {
  std::string s;
  Lay(document, 0, s);
  return s;
}

void Output::Write(const Json& document) { m_out << Layout(document) << '\n'; }

}  // namespace cli
