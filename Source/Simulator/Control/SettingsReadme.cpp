// Checks that the settings tables of the two READMEs read as the settings table does: the
// Markdown table of README.md and the text table of README.txt, which ships in the SDK package.
// Run by the host build: tarven_sim_settings_readme README.md README.txt. On a difference it
// names the README, prints what its table should read and exits with 1.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "Settings.h"

namespace {

constexpr char kChoice[] = " | ";  // between the words of a choice
constexpr char kNone[] = "none";   // a default of no value

// README.txt: two spaces, the variable, its values and default in columns; the meaning below
// the values in parentheses, in lines of at most kTextWidth characters.
constexpr std::size_t kVariableColumn = 28;
constexpr std::size_t kDefaultColumn = 61;
constexpr std::size_t kColumnGap = 2;
constexpr std::size_t kTextWidth = 86;

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

bool IsChoice(const sim::Setting& setting) {
  return std::string(setting.values).find(kChoice) != std::string::npos;
}

std::string MarkdownRow(const sim::Setting& setting) {
  std::string values = setting.values;
  if (IsChoice(setting)) values = "`" + Replaced(values, kChoice, "`, `") + "`";
  if (*setting.meaning) values += std::string(" (") + setting.meaning + ")";
  const std::string byDefault =
      *setting.byDefault ? "`" + std::string(setting.byDefault) + "`" : kNone;
  return "| `" + std::string(setting.variable) + "` | " + values + " | " + byDefault + " |\n";
}

std::string MarkdownTable() {
  std::string table = "| variable | values | default |\n|---|---|---|\n";
  for (const sim::Setting& setting : sim::Settings()) table += MarkdownRow(setting);
  return table;
}

// line padded with spaces to column, or by kColumnGap when it reaches it already.
std::string Padded(std::string line, std::size_t column) {
  line.resize(line.size() + kColumnGap > column ? line.size() + kColumnGap : column, ' ');
  return line;
}

// text in parentheses, in lines that start at kVariableColumn.
std::string NoteLines(const std::string& text) {
  const std::string indent(kVariableColumn, ' ');
  std::string lines;
  std::string line = indent;
  std::istringstream words("(" + text + ")");
  for (std::string word; words >> word;) {
    if (line.size() > indent.size() && line.size() + 1 + word.size() > kTextWidth) {
      lines += line + "\n";
      line = indent;
    }
    line += (line.size() > indent.size() ? " " : "") + word;
  }
  return lines + line + "\n";
}

std::string TextTable() {
  std::string table;
  for (const sim::Setting& setting : sim::Settings()) {
    std::string line = Padded("  " + std::string(setting.variable), kVariableColumn);
    line = Padded(line + Replaced(setting.values, "`", ""), kDefaultColumn);
    table += line + "default " + (*setting.byDefault ? setting.byDefault : kNone) + "\n";
    if (*setting.meaning) table += NoteLines(setting.meaning);
  }
  return table;
}

// Whether readme holds table whole, with a blank line before and after it.
bool Check(const char* readme, const std::string& table) {
  std::ifstream file(readme, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  if (file && text.str().find("\n\n" + table + "\n") != std::string::npos) return true;
  std::printf("%s: the simulator's settings should read, between blank lines:\n%s\n", readme,
              table.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: tarven_sim_settings_readme README.md README.txt\n");
    return 2;
  }
  const bool markdown = Check(argv[1], MarkdownTable());
  const bool text = Check(argv[2], TextTable());
  return markdown && text ? 0 : 1;
}
