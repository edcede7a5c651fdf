// What orvanectl prints: every table and every JSON document goes through Output, and every
// text that comes from outside (Palm's user names and conduit titles, profile descriptions,
// file names, what was typed) goes through Esc before it reaches the console.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace cli {

// A JSON document in the order its members were added.
using Json = nlohmann::ordered_json;

// Local 8-bit text (the ANSI code page on Windows, UTF-8 elsewhere) as the UTF-8 that a JSON
// string holds.
std::string JsonText(const std::string& local);

// Local 8-bit text with every control character written as an escape: \n, \r, \t, \xNN for
// the other C0 bytes and DEL, \u0080 to \u009f for the C1 characters, and \xNN for a byte
// that starts no character. Everything else, the backslash of a Windows path included, is
// left as it is: nothing printed can move the cursor or switch the terminal.
std::string Esc(const std::string& local);
// Esc in double quotes: "Alice".
std::string Quoted(const std::string& local);

// Writes results to standard output: tables as text, or JSON documents.
class Output {
 public:
  Output(std::ostream& out, bool bJson) : m_out(out), m_bJson(bJson) {}
  bool IsJson() const { return m_bJson; }

  // Left-aligned columns, each as wide as its widest cell (in characters), two blanks between;
  // the first row is the header. Cells are raw texts: they are escaped here.
  void Table(const std::vector<std::vector<std::string>>& rows);
  // A line of our own text (already escaped where it holds outside text).
  void Line(const std::string& text);
  // A JSON document, ASCII only: an array of objects or arrays is laid out one element a line,
  // everything else on one line ({"id": 1001, "name": "Alice"}).
  void Write(const Json& document);

  // The layout of Write, for tests and callers that want the text.
  static std::string Layout(const Json& document);

 private:
  std::ostream& m_out;
  bool m_bJson;
};

}  // namespace cli
