// Files a script hands to the screen and reads back: file (the answer of
// the next file dialog), write (a file of lines), expect file (a file's
// lines). Names are taken in the run's own folder; lines end with CRLF, as
// spreadsheets write them.
#include <fstream>
#include <iterator>

#include "scenario/Context.h"
#include "scenario/Failure.h"

namespace scenario {

namespace {

std::filesystem::path InWorkDir(const Context& context, const std::string& name) {
  const std::filesystem::path path(name);
  return path.is_absolute() ? path : context.workDir / path;
}

// "" answers the dialog with no file, as a person who cancels it.
void File(Context& context, const Command& command) {
  const std::string& name = command.args[0].text;
  context.dialogs.QueueFile(name.empty() ? std::string() : InWorkDir(context, name).string());
}

void Write(Context& context, const Command& command) {
  std::ofstream out(InWorkDir(context, command.args[0].text), std::ios::binary);
  for (std::size_t i = 1; i < command.args.size(); ++i) out << command.args[i].text << "\r\n";
  if (!out) Fail("cannot write " + command.args[0].text);
}

// The file holds exactly these lines (a UTF-8 byte order mark aside).
void ExpectFile(Context& context, const Command& command) {
  std::ifstream in(InWorkDir(context, command.args[0].text), std::ios::binary);
  if (!in) Fail("no file " + command.args[0].text);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  std::string expected;
  for (std::size_t i = 1; i < command.args.size(); ++i) expected += command.args[i].text + "\r\n";
  if (text != expected) Fail("file " + command.args[0].text + ": expected " + Quote(expected) + ", got " + Quote(text));
}

}  // namespace

void AddFileHandlers(HandlerTable& table) {
  table.insert({{"file", File}, {"write", Write}, {"expect file", ExpectFile}});
}

}  // namespace scenario
