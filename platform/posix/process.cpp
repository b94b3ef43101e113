#include <signal.h>
#include <sys/select.h>
#include <unistd.h>

#include "platform/entry.h"
#include "platform/posix/bounded_text.h"
#include "platform/posix/posix_platform.h"

namespace {

// Windows takes command lines of up to 32767 characters.
constexpr int kCommandLineSize = 32768;
char commandLine[kCommandLineSize];

// The signals that stop a run from outside: Ctrl-C, kill's default, a
// closed terminal, Ctrl-\. They are held from the start of the run to its
// end, so that none lands between the write of the header and its cut or
// its stamp; the header then holds its old bytes or its new ones, never a
// mix. A run waits only in Sleep (the build step, for a counter another
// process holds), and lets them through there, so a held signal is late by
// the run's own work at most.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
sigset_t maskBeforeRun;

// The mask held is the caller's plus these signals, made from the caller's
// rather than from sigemptyset: one routine fewer for the dynamic loader to
// bind at every start.
void HoldStopSignals() {
  sigprocmask(SIG_BLOCK, nullptr, &maskBeforeRun);
  sigset_t held = maskBeforeRun;
  for (const int stop : kStopSignals) sigaddset(&held, stop);
  sigprocmask(SIG_SETMASK, &held, nullptr);
}

// The searches strpbrk would make, written out: strpbrk would be one more
// routine for the dynamic loader to bind at every start, which costs more
// than these scans of the arguments.
bool HoldsBlank(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text == ' ' || *text == '\t') return true;
  }
  return false;
}

bool HoldsBlankOrQuote(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text == ' ' || *text == '\t' || *text == '"') return true;
  }
  return false;
}

// The program name comes first, quoted when it holds a blank; it cannot
// hold a double quote on Windows, so any are dropped.
void PutProgramName(posix_layer::BoundedText& line, const char* name) {
  const bool quoted = HoldsBlank(name);
  if (quoted) line.Put('"');
  for (; *name != '\0'; ++name) {
    if (*name != '"') line.Put(*name);
  }
  if (quoted) line.Put('"');
}

// An argument the grammar would split or read as quoting goes in double
// quotes, with each double quote doubled, so that it comes back unchanged.
void PutArgument(posix_layer::BoundedText& line, const char* argument) {
  const bool quoted = *argument == '\0' || HoldsBlankOrQuote(argument);
  if (!quoted) {
    line.Put(argument);
    return;
  }
  line.Put('"');
  for (; *argument != '\0'; ++argument) {
    line.Put(*argument);
    if (*argument == '"') line.Put('"');
  }
  line.Put('"');
}

// Rebuilds the one command-line text a Windows program is given; false when
// the arguments do not fit in it.
bool BuildCommandLine(int argc, char** argv) {
  posix_layer::BoundedText line(commandLine, kCommandLineSize);
  PutProgramName(line, argc > 0 ? argv[0] : "");
  for (int i = 1; i < argc; ++i) {
    line.Put(' ');
    PutArgument(line, argv[i]);
  }
  return line.Finish();
}

}  // namespace

LPSTR GetCommandLineA() { return commandLine; }

// A sleep comes between attempts to open a file, with nothing of it open:
// the stop signals are let through for its length, under the caller's own
// mask, and one that arrives ends the process there. A sleep that some
// other signal cuts short is only a shorter wait.
void Sleep(DWORD milliseconds) {
  constexpr long kNanosecondsPerMillisecond = 1'000'000;
  const timespec length = {static_cast<time_t>(milliseconds / 1000),
                           static_cast<long>(milliseconds % 1000) * kNanosecondsPerMillisecond};
  pselect(0, nullptr, nullptr, nullptr, &length, &maskBeforeRun);
}

// A signal held during the run takes effect here, once the header is done
// with: the process ends by that signal, as it would have without the
// hold, so that whoever sent it (a shell, make) sees the run interrupted
// rather than a result to go on with. A signal the parent left blocked or
// ignored stays so.
void ExitProcess(UINT exitCode) {
  sigprocmask(SIG_SETMASK, &maskBeforeRun, nullptr);
  _exit(static_cast<int>(exitCode));
}

int main(int argc, char** argv) {
  HoldStopSignals();
  // A message or a header that cannot be written is a failed call, never a
  // signal that ends the run.
  (void)signal(SIGPIPE, SIG_IGN);
  (void)signal(SIGXFSZ, SIG_IGN);
  if (!BuildCommandLine(argc, argv)) RefuseCommandLine();
  ToolEntry();
}
