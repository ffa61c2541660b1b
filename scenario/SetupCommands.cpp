// Set-up, answers, the database behind the screen's back and the server's
// life: host, seed, sql, answer, pick, server stop|start|stall|resume,
// reset calls.

#include <fstream>
#include <sstream>

#include "appserver/db/DbSchema.h"
#include "appserver/db/SqlScript.h"
#include "scenario/Context.h"
#include "scenario/Failure.h"

namespace scenario {

namespace {

void Host(Context&, const Command& command) {
  for (const Token& pair : command.args) {
    const std::size_t eq = pair.text.find('=');
    InProcessHost::Configure(pair.text.substr(0, eq), pair.text.substr(eq + 1));
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot read the seed file " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Seed(Context& context, const Command& command) {
  const Token& source = command.args[0];
  if (!source.quoted) {
    dbsession::LoadDemo(context.db);
    return;
  }
  const std::string text = ReadFile(context.scriptDir / source.text);
  // All or nothing, like the demo.
  soci::transaction transaction(context.db);
  dbsession::RunScript(context.db, text);
  transaction.commit();
}

void Sql(Context& context, const Command& command) { dbsession::RunScript(context.db, command.args[0].text); }

// With a question, the next confirmation must ask exactly it.
void Answer(Context& context, const Command& command) {
  if (command.args.size() > 2) Fail("answer takes one question at most");
  std::optional<std::string> question;
  if (command.args.size() == 2) question = command.args[1].text;
  context.dialogs.QueueAnswer(command.args[0].text == "yes", command.line, std::move(question));
}

void Pick(Context& context, const Command& command) {
  const std::string& row = command.args[0].text;
  context.dialogs.QueuePick(row == "none" ? std::nullopt : std::optional<int>(IntArg(row)), command.line);
}

// "" dismisses the menu, as a person who presses Esc.
void Popup(Context& context, const Command& command) {
  context.dialogs.QueueMenuItem(command.args[0].text, command.line);
}

void ServerStop(Context& context, const Command&) {
  if (!context.server.Running()) Fail("server stop: the application server is not running");
  context.server.Stop();
}

void ServerStart(Context& context, const Command&) {
  if (context.server.Running()) Fail("server start: the application server is running already");
  context.server.Start();
}

// Now, or as the screen sends its next call of a method: that call then
// goes out to a server that does not answer, as one hung in the middle of
// it would.
void ServerStall(Context& context, const Command& command) {
  if (!context.server.Running()) Fail("server stall: the application server is not running");
  if (context.server.Stalled()) Fail("server stall: the application server is stalled already");
  if (command.args.size() > 1) Fail("server stall: at most one method");
  if (const int armed = context.calls.ArmedLine())
    Fail("server stall: a stall before " + context.calls.ArmedMethod() + " is waiting already (line " +
         std::to_string(armed) + ")");
  if (command.args.empty()) return context.server.Stall();
  AppServerProcess& server = context.server;
  context.calls.BeforeNextCall(
      command.args[0].text,
      [&server] {
        if (server.Running() && !server.Stalled()) server.Stall();
      },
      command.line);
}

void ServerResume(Context& context, const Command&) {
  if (!context.server.Stalled()) Fail("server resume: the application server is not stalled");
  context.server.Resume();
}

void ResetCalls(Context& context, const Command&) { context.calls.Reset(); }

}  // namespace

void AddSetupHandlers(HandlerTable& table) {
  table.insert({{"host", Host},
                {"seed", Seed},
                {"sql", Sql},
                {"answer", Answer},
                {"pick", Pick},
                {"popup", Popup},
                {"server stop", ServerStop},
                {"server start", ServerStart},
                {"server stall", ServerStall},
                {"server resume", ServerResume},
                {"reset calls", ResetCalls}});
}

}  // namespace scenario
